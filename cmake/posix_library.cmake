# libzelvan.so and libzelvan.a from the library parts and the POSIX platform layer.
get_property(zelvan_link_libs GLOBAL PROPERTY ZELVAN_LINK_LIBS)

# The export list is generated from zelvan.def, so the .so and the DLL export the same names.
include(${PROJECT_SOURCE_DIR}/cmake/def_names.cmake)
zelvan_def_names(${PROJECT_SOURCE_DIR}/zelvan.def exported)
set(version_script "{\n  global:\n")
foreach(name ${exported})
  string(APPEND version_script "    ${name};\n")
endforeach()
string(APPEND version_script "  local: *;\n};\n")
file(WRITE ${PROJECT_BINARY_DIR}/zelvan.map "${version_script}")

add_library(zelvan SHARED ${zelvan_objects})
target_link_libraries(zelvan PRIVATE Threads::Threads ${CMAKE_DL_LIBS} ${zelvan_link_libs})
target_link_options(zelvan PRIVATE -Wl,--version-script=${PROJECT_BINARY_DIR}/zelvan.map -Wl,--no-undefined)
set_target_properties(zelvan PROPERTIES LINK_DEPENDS ${PROJECT_BINARY_DIR}/zelvan.map)
target_include_directories(zelvan PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
if(ZELVAN_FUZZ)
  # clang links no sanitizer runtime into shared objects; the fuzzers use the static library.
  set_target_properties(zelvan PROPERTIES EXCLUDE_FROM_ALL ON)
endif()

# The static library carries the platform's test entry points for the project's own tests. It
# is libzelvan.a beside libzelvan.so; its installed link needs are set with the install rules.
add_library(zelvan_static STATIC ${zelvan_objects})
set_target_properties(zelvan_static PROPERTIES OUTPUT_NAME zelvan)
target_link_libraries(zelvan_static
                      PUBLIC "$<BUILD_INTERFACE:Threads::Threads;${CMAKE_DL_LIBS};${zelvan_link_libs}>")
target_include_directories(zelvan_static PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)

include(${CMAKE_CURRENT_LIST_DIR}/ZelvanInstall.cmake)
