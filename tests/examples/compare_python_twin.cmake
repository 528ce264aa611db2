# Runs a Python example and its C twin, each with no display in a scratch folder of its own,
# and fails unless both wrote byte-identical pictures. Run with -P and:
#   -DPYTHON=<python3> -DSCRIPT=<example.py> -DEXE=<C example> -DPICTURE=<file name>
#   -DWORK=<scratch folder> -DPYTHON_ENV=<NAME=value|NAME=value...> (the module's environment)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/python" "${WORK}/c")
string(REPLACE "|" ";" python_environment "${PYTHON_ENV}")
set(no_display --unset=DISPLAY --unset=ZELVAN_PICTURES)

foreach(twin python c)
  if(twin STREQUAL "python")
    set(command ${CMAKE_COMMAND} -E env ${no_display} ${python_environment} ${PYTHON} ${SCRIPT})
  else()
    set(command ${CMAKE_COMMAND} -E env ${no_display} ${EXE})
  endif()
  execute_process(COMMAND ${command} WORKING_DIRECTORY "${WORK}/${twin}" RESULT_VARIABLE status
                  OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
  if(NOT status STREQUAL "0" OR NOT EXISTS "${WORK}/${twin}/${PICTURE}")
    message(FATAL_ERROR "the ${twin} example should end with status 0 having written "
                        "${WORK}/${twin}/${PICTURE}; it ended with ${status}, saying:\n${output}")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/python/${PICTURE}"
                        "${WORK}/c/${PICTURE}" RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${PICTURE} from ${SCRIPT} differs from the one of ${EXE}")
endif()
