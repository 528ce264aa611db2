# Installs the built tree into a scratch prefix, then builds and runs a small C program
# against it through find_package(Zelvan) and through pkg-config, each with the shared and
# with the static library.
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
          lib/cmake/Zelvan/ZelvanConfig.cmake share/doc/zelvan/LICENSE)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/cmake-build -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK}/cmake-build)
run(${CMAKE_COMMAND} -E env --unset=DISPLAY ${WORK}/cmake-build/consumer)
message(STATUS "find_package build: ${last_output}")

# A statically linked program needs no libzelvan.so, at link time or when it runs.
function(check_static program)
  run(readelf -d ${program})
  if(last_output MATCHES "libzelvan")
    message(FATAL_ERROR "${program} still needs the shared library:\n${last_output}")
  endif()
  run(${CMAKE_COMMAND} -E env --unset=DISPLAY ${program})
  message(STATUS "${program}: ${last_output}")
endfunction()
check_static(${WORK}/cmake-build/consumer_static)

run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/lib/pkgconfig pkg-config --cflags --libs zelvan)
string(STRIP "${last_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(cc ${SOURCE}/main.c ${flags} -o ${WORK}/pc-consumer)
run(${CMAKE_COMMAND} -E env --unset=DISPLAY LD_LIBRARY_PATH=${prefix}/lib ${WORK}/pc-consumer)
message(STATUS "pkg-config build: ${last_output}")

# pkg-config --static lists what libzelvan.a needs; the archive is named so that the linker
# does not take libzelvan.so beside it.
run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/lib/pkgconfig pkg-config --static --cflags --libs zelvan)
string(STRIP "${last_output}" flags)
string(REPLACE "-lzelvan " "-l:libzelvan.a " flags "${flags} ")
separate_arguments(flags UNIX_COMMAND "${flags}")
run(cc ${SOURCE}/main.c ${flags} -o ${WORK}/pc-static-consumer)
check_static(${WORK}/pc-static-consumer)
