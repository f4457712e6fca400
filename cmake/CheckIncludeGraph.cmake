# cmake -DSOURCE_DIR=<folder holding the subsystem folders> [-DWIDGET_HEADER_DIRS=dir|dir...] -P CheckIncludeGraph.cmake
#
# Fails when a file includes from a folder above its own, or from another
# folder of its own level, when an engine folder or the command line
# includes a widget header, and when a class offers itself through a static
# accessor (`static Foo *instance()`): objects are handed to whoever needs
# them by whoever builds them.
# The folders from the bottom up; folders on one line are on one level.
set(levels
  "core"
  "media"
  "web"
  "library"
  "downloads burner tv"
  "engines"
  "cli gui"
  "app")
# Folders that hold no widgets: the engines and the command line.
set(widgetless core media web library downloads burner tv engines cli)
# Widget modules: including one of them as a whole or any of their headers.
set(widget_modules QtWidgets QtWebEngineWidgets QtMultimediaWidgets QtOpenGLWidgets)
# Known even without the Qt headers at hand.
set(widget_classes QWidget QApplication QMainWindow QDialog QMessageBox QLabel QPushButton
  QAbstractItemView QFileDialog QWebEngineView QVideoWidget)

if(SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
endif()
if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "SOURCE_DIR must name the folder that holds the subsystem folders")
endif()

set(level_of_index 0)
foreach(line IN LISTS levels)
  separate_arguments(folders UNIX_COMMAND "${line}")
  foreach(folder IN LISTS folders)
    set(level_${folder} ${level_of_index})
  endforeach()
  math(EXPR level_of_index "${level_of_index} + 1")
endforeach()

# Header names of the widget modules (QWidget, QDialog, ...), from the Qt installed here.
set(widget_headers ${widget_modules} ${widget_classes})
string(REPLACE "|" ";" widget_header_dirs "${WIDGET_HEADER_DIRS}")
foreach(dir IN LISTS widget_header_dirs)
  if(IS_DIRECTORY "${dir}")
    file(GLOB names RELATIVE "${dir}" "${dir}/Q*")
    list(APPEND widget_headers ${names})
  endif()
endforeach()
list(REMOVE_DUPLICATES widget_headers)

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
set(faults "")
foreach(file IN LISTS files)
  string(REGEX REPLACE "/.*" "" own "${file}")
  if(NOT DEFINED level_${own})
    list(APPEND faults "${file}: the folder '${own}' has no place in the order; add it to cmake/CheckIncludeGraph.cmake")
    continue()
  endif()
  set(own_level ${level_${own}})
  file(STRINGS "${SOURCE_DIR}/${file}" accessors
    REGEX "^[ \t]*static[ \t]+[A-Za-z_:<>, \t]*\\*[ \t]*instance[ \t]*\\(")
  foreach(line IN LISTS accessors)
    string(REGEX MATCH "static[^(]*instance" shown "${line}")
    list(APPEND faults "${file}: a global accessor (${shown}()), hand the object in instead")
  endforeach()
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/[^\"]*\"")
      set(other "${CMAKE_MATCH_1}")
      if(other STREQUAL own OR NOT DEFINED level_${other})
        continue() # its own folder, or not a subsystem (a generated or third-party path)
      endif()
      set(other_level ${level_${other}})
      if(other_level GREATER own_level)
        list(APPEND faults "${file}: includes from '${other}', which sits above '${own}'")
      elseif(other_level EQUAL own_level)
        list(APPEND faults "${file}: includes from '${other}', a folder beside '${own}'")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>/]+)(/([^>]+))?>")
      list(FIND widgetless ${own} no_widgets)
      if(no_widgets LESS 0)
        continue()
      endif()
      set(module "${CMAKE_MATCH_1}")
      set(name "${CMAKE_MATCH_3}")
      if(name)
        list(FIND widget_modules "${module}" hit)
      else()
        list(FIND widget_headers "${module}" hit)
      endif()
      if(hit GREATER -1)
        string(STRIP "${line}" shown)
        list(APPEND faults "${file}: '${own}' includes the widget header ${shown}")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults count)
  string(REPLACE ";" "\n  " text "${faults}")
  message(FATAL_ERROR "${count} fault(s) against the order of the folders:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "include graph: ${count} files, every include points down")
