# Run by `cmake --install`: puts zelvan.py in the module folder of the prefix's Python, with
# the installed library's folder written into it relative to the module.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(python "${ZELVAN_PYTHON3}")
# /usr and /usr/local belong to the system's Python, whichever python3 comes first on PATH.
if(prefix MATCHES "^/usr(/local)?/*$" AND EXISTS /usr/bin/python3)
  set(python /usr/bin/python3)
endif()
execute_process(COMMAND "${python}" "${CMAKE_CURRENT_LIST_DIR}/python_module_dir.py" "${prefix}"
                OUTPUT_VARIABLE module_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed OR module_dir STREQUAL "")
  message(FATAL_ERROR "${python} did not name its module folder for ${prefix}")
endif()
file(RELATIVE_PATH to_library "${module_dir}" "${prefix}/${ZELVAN_LIBDIR}")
file(READ "${ZELVAN_MODULE}" module)
string(REPLACE "\n_INSTALLED_LIBRARY_DIR = None\n" "\n_INSTALLED_LIBRARY_DIR = \"${to_library}\"\n"
       module "${module}")
file(WRITE "${ZELVAN_STAGING}/zelvan.py" "${module}")
file(INSTALL DESTINATION "${module_dir}" TYPE FILE FILES "${ZELVAN_STAGING}/zelvan.py")
