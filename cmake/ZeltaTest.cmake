# zelta_add_test(NAME name LABEL label... SOURCES ... LIBS ... [TIMEOUT s] [NETNS] [XVFB])
# Builds one QtTest executable and registers it with CTest. Every test runs with
# its own HOME and XDG folders (the test wrapper creates them).
#
# Labels say what a test needs beyond its own process:
#   unit   nothing (temporary files, a SQLite file, a loopback server of its own)
#   tools  ffmpeg or the disc tools
#   site   the demo members site (zelta-demosite) on 127.0.0.1
#   gui    widgets (offscreen)
#   e2e    the desktop program under a virtual X display
#   netns  multicast, inside a private network namespace
# A test that needs several things has several labels ("site tools").
function(zelta_add_test)
  cmake_parse_arguments(T "NETNS;XVFB" "NAME;TIMEOUT" "SOURCES;LIBS;LABEL" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test zelta_testsupport ${T_LIBS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(T_NETNS)
    set(cmd ${ZELTA_SOURCE_DIR}/scripts/netns-run $<TARGET_FILE:${T_NAME}>)
  else()
    set(cmd $<TARGET_FILE:${T_NAME}>)
  endif()
  if(T_XVFB)
    # A real X display for tests that drive top-level windows from outside.
    set(cmd xvfb-run -a -s "-screen 0 1600x1200x24" env QT_QPA_PLATFORM=xcb ${cmd})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${ZELTA_SOURCE_DIR}/scripts/test-env ${cmd})
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "ZELTA_BUILD_DIR=${CMAKE_BINARY_DIR};ZELTA_SOURCE_DIR=${ZELTA_SOURCE_DIR}")
endfunction()
