# Compiles one-line sources with the view controller's include paths: its own headers build,
# while Qt Widgets, in either spelling, and the widget of the view do not.
# Run as: cmake -DCOMPILER=... -DINCLUDES=<list> -DWORK=<dir> -P controller_refuses_widgets.cmake
set(cases
  "ok|#include \"view/edit_view_controller.h\""
  "refused|#include <QWidget>"
  "refused|#include <QtWidgets/QWidget>"
  "refused|#include \"view/sorel_view.h\"")

set(flags -std=c++20 -fsyntax-only)
foreach(dir IN LISTS INCLUDES)
  list(APPEND flags -I${dir})
endforeach()

file(MAKE_DIRECTORY ${WORK})
set(failures "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 expected)
  list(GET parts 1 line)
  math(EXPR index "${index} + 1")
  set(source ${WORK}/boundary_${index}.cpp)
  file(WRITE ${source} "${line}\n")
  execute_process(COMMAND ${COMPILER} ${flags} ${source} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(expected STREQUAL "ok" AND NOT result EQUAL 0)
    string(APPEND failures "\n  does not build but should: ${line}")
  elseif(expected STREQUAL "refused" AND result EQUAL 0)
    string(APPEND failures "\n  builds in the controller: ${line}")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "The view controller's boundary is broken:${failures}")
endif()
