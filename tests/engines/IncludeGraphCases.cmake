# cmake -DCHECK=<CheckIncludeGraph.cmake> -DWORK_DIR=<scratch folder> -P IncludeGraphCases.cmake
#
# Runs the include-graph check on small made-up trees: each case is one file
# added to a tree that is otherwise in order, and whether the check must pass.
set(cases
  "pass|library/Library.cpp|#include \"web/NetworkManager.h\""
  "pass|tv/upnp/UpnpEngine.cpp|#include \"tv/MediaServer.h\""
  "pass|engines/Engines.cpp|#include \"tv/upnp/UpnpEngine.h\""
  "pass|gui/mainwindow/MainWindow.cpp|#include <QMainWindow>"
  "pass|app/main.cpp|#include \"gui/mainwindow/MainWindow.h\""
  "pass|core/Version.cpp|#include \"core/Version.h\""
  "pass|library/Library.cpp|#include <QSqlDatabase>"
  "fail|core/Formatters.cpp|#include \"library/Library.h\""
  "fail|web/Suggestions.cpp|  #  include \"app/Application.h\""
  "fail|downloads/Download.cpp|#include \"tv/LumiqoTv.h\""
  "fail|media/Probe.cpp|#include \"web/NetworkManager.h\""
  "fail|engines/Engines.cpp|#include \"cli/CliContext.h\""
  "fail|cli/main.cpp|#include \"gui/mainwindow/MainWindow.h\""
  "fail|gui/mainwindow/MainWindow.cpp|#include \"app/Application.h\""
  "fail|burner/Project.cpp|#include <QWidget>"
  "fail|tv/upnp/UpnpEngine.cpp|#include <QtWidgets>"
  "fail|library/Library.cpp|#include <QtWidgets/QTreeView>"
  "fail|engines/Engines.cpp|#include <QWebEngineView>"
  "fail|cli/main.cpp|#include <QApplication>"
  "fail|player/Player.cpp|#include \"core/Logging.h\""
  "fail|core/UserPrompt.h|    static UserPrompt *instance()"
  "fail|downloads/DownloadManager.h|static DownloadManager* instance()"
  "pass|downloads/DownloadManager.cpp|connect(QNetworkInformation::instance(), this)"
  "pass|core/Logging.h|static QString instanceName()")

set(base
  "core/Logging.h|#include <QLoggingCategory>"
  "web/NetworkManager.h|#include \"core/Logging.h\""
  "library/Library.h|#include \"web/NetworkManager.h\""
  "tv/upnp/UpnpEngine.h|#include \"library/Library.h\""
  "engines/Engines.h|#include \"tv/upnp/UpnpEngine.h\""
  "cli/CliContext.h|#include \"engines/Engines.h\""
  "app/Application.h|#include <QApplication>")

set(wrong "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 expected)
  list(GET parts 1 path)
  list(GET parts 2 text)
  set(tree "${WORK_DIR}/case${index}")
  file(REMOVE_RECURSE "${tree}")
  foreach(entry IN LISTS base)
    string(REPLACE "|" ";" entry_parts "${entry}")
    list(GET entry_parts 0 entry_path)
    list(GET entry_parts 1 entry_text)
    file(WRITE "${tree}/${entry_path}" "#pragma once\n${entry_text}\n")
  endforeach()
  file(WRITE "${tree}/${path}" "// case\n${text}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECK}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  if(result EQUAL 0)
    set(got pass)
  else()
    set(got fail)
  endif()
  if(NOT got STREQUAL expected)
    list(APPEND wrong "${path} with '${text}': expected ${expected}, got ${got} ${errors}")
  endif()
  math(EXPR index "${index} + 1")
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")

if(wrong)
  string(REPLACE ";" "\n  " text "${wrong}")
  message(FATAL_ERROR "include-graph check:\n  ${text}")
endif()
message(STATUS "include-graph check: ${index} cases as expected")
