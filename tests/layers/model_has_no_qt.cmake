# Fails when a file of the host's model (host/) includes a Qt or view header,
# or when the model's libraries link Qt: the model must build and run without
# the view that observes it.
# Run as: cmake -DSOURCE_DIR=<source> -DLINKS_FILE=<generated> -P model_has_no_qt.cmake
file(GLOB model_files ${SOURCE_DIR}/host/*.cpp ${SOURCE_DIR}/host/*.h)
if(NOT model_files)
  message(FATAL_ERROR "no model files found in ${SOURCE_DIR}/host")
endif()
set(failures "")
foreach(f ${model_files})
  file(STRINGS ${f} hits
    REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qcustomplot|view/)")
  if(hits)
    string(APPEND failures "${f}: ${hits}\n")
  endif()
endforeach()
if(LINKS_FILE)
  file(READ ${LINKS_FILE} links)
  if(links MATCHES "Qt|qcustomplot|QCustomPlot|velmora_qtview")
    string(APPEND failures "the model's libraries link Qt: ${links}\n")
  endif()
endif()
if(failures)
  message(FATAL_ERROR "The model reaches into Qt:\n${failures}")
endif()
message(STATUS "model files checked: no Qt")
