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

# The Python module lies where the prefix's Python looks for modules, and imports with only
# that folder on PYTHONPATH and no library variables; pip installs the same module offline.
if(PYTHON)
  get_filename_component(root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
  run(${PYTHON} ${root}/cmake/python_module_dir.py ${prefix})
  string(STRIP "${last_output}" module_dir)
  set(plain_env ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=ZELVAN_LIBRARY
      --unset=LD_LIBRARY_PATH --unset=LD_PRELOAD --unset=PYTHONHOME)
  run(${plain_env} PYTHONPATH=${module_dir} ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/python_check.py
      ${prefix} ${prefix})
  message(STATUS "installed Python module: ${last_output}")
  # Offline, in fresh virtual environments of Debian's own interpreter, as a user of the
  # packages of install-deps.sh --dev would: pip building in isolation from Debian's setuptools
  # and wheel wheels, and pip building with what the environment has (--no-build-isolation),
  # where setuptools 66 needs the wheel wheel put in first. pip's configuration files and
  # PIP_FIND_LINKS are left out, so that it finds nothing but what it is given.
  set(wheels /usr/share/python-wheels)
  file(GLOB setuptools_wheel ${wheels}/setuptools-*.whl)
  file(GLOB wheel_wheel ${wheels}/wheel-*.whl)
  if(EXISTS /usr/bin/python3 AND setuptools_wheel AND wheel_wheel)
    set(pip_env ${CMAKE_COMMAND} -E env --unset=PIP_FIND_LINKS PIP_CONFIG_FILE=/dev/null)
    foreach(way isolated no-build-isolation)
      set(venv ${WORK}/venv-${way})
      # From a fresh copy: setuptools leaves its build folders beside the sources.
      file(COPY ${root}/python/zelvan.py ${root}/python/pyproject.toml ${root}/python/README.md
           DESTINATION ${WORK}/python-source-${way})
      run(/usr/bin/python3 -m venv ${venv})
      if(way STREQUAL "isolated")
        run(${pip_env} ${venv}/bin/python -m pip install --quiet --no-index --find-links ${wheels}
            ${WORK}/python-source-${way})
      else()
        run(${pip_env} ${venv}/bin/python -m pip install --quiet --no-index ${wheel_wheel})
        run(${pip_env} ${venv}/bin/python -m pip install --quiet --no-index --no-build-isolation
            ${WORK}/python-source-${way})
      endif()
      run(${plain_env} ZELVAN_LIBRARY=${prefix}/lib/libzelvan.so ${venv}/bin/python
          ${CMAKE_CURRENT_LIST_DIR}/python_check.py ${venv} ${prefix})
      message(STATUS "pip-installed module (${way}): ${last_output}")
    endforeach()
  else()
    message(STATUS "pip install not checked: no Debian python3 with ${wheels} (python3-venv, "
                   "python3-setuptools-whl, python3-wheel-whl)")
  endif()
endif()
