# Runs one example with no display in a fresh scratch folder, then checks that it ended with
# status 0 and wrote its pictures. Run with -P and:
#   -DEXE=<program> -DWORK=<scratch folder>
#   -DPICTURES=<name>:<width>x<height>,...   24-bit BMP files it must write
#   -DFILES=<name>:<bytes>,...               other files it must write, and their sizes
#   -DARGS=<argument>                        one command-line argument (optional)
#   -DPICTURE_DIR=<sub-folder>               pass ZELVAN_PICTURES=<WORK>/<sub-folder> (optional)
include(${CMAKE_CURRENT_LIST_DIR}/check_bmp.cmake)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(environment --unset=DISPLAY --unset=ZELVAN_PICTURES)
set(output_dir "${WORK}")
if(DEFINED PICTURE_DIR)
  set(output_dir "${WORK}/${PICTURE_DIR}")
  file(MAKE_DIRECTORY "${output_dir}")
  list(APPEND environment "ZELVAN_PICTURES=${output_dir}")
endif()
set(arguments "")
if(DEFINED ARGS)
  set(arguments "${ARGS}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment} ${EXE} ${arguments}
                WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output TIMEOUT 60)
message(STATUS "${EXE} said:\n${output}")
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${EXE} ended with status ${status}")
endif()

string(REPLACE "," ";" pictures "${PICTURES}")
foreach(picture ${pictures})
  string(REGEX MATCH "^(.+):([0-9]+)x([0-9]+)$" matched "${picture}")
  if(NOT matched)
    message(FATAL_ERROR "bad PICTURES entry '${picture}'")
  endif()
  check_bmp("${output_dir}/${CMAKE_MATCH_1}" ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
  if(DEFINED PICTURE_DIR AND EXISTS "${WORK}/${CMAKE_MATCH_1}")
    message(FATAL_ERROR "${CMAKE_MATCH_1} went to the working folder, not ZELVAN_PICTURES")
  endif()
endforeach()

string(REPLACE "," ";" files "${FILES}")
foreach(entry ${files})
  string(REGEX MATCH "^(.+):([0-9]+)$" matched "${entry}")
  set(path "${output_dir}/${CMAKE_MATCH_1}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} was not written")
  endif()
  file(SIZE "${path}" size)
  if(NOT size EQUAL CMAKE_MATCH_2)
    message(FATAL_ERROR "${path} has ${size} bytes, not ${CMAKE_MATCH_2}")
  endif()
endforeach()
