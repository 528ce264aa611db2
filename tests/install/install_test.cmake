# Installs the built tree into a scratch prefix, then builds and runs a small C program
# against it twice: through find_package(Zelvan) and through pkg-config.
set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})
foreach(f include/zelvan.h lib/libzelvan.so lib/libzelvan.a lib/pkgconfig/zelvan.pc
          lib/cmake/Zelvan/ZelvanConfig.cmake)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/cmake-build -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK}/cmake-build)
run(${CMAKE_COMMAND} -E env --unset=DISPLAY ${WORK}/cmake-build/consumer)
message(STATUS "find_package build: ${last_output}")

run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/lib/pkgconfig pkg-config --cflags --libs zelvan)
string(STRIP "${last_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(cc ${SOURCE}/main.c ${flags} -o ${WORK}/pc-consumer)
run(${CMAKE_COMMAND} -E env --unset=DISPLAY LD_LIBRARY_PATH=${prefix}/lib ${WORK}/pc-consumer)
message(STATUS "pkg-config build: ${last_output}")
