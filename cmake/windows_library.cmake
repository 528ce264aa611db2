# Zelvan.dll and its import library from the library parts and the real Win32 API.
#
# The exports are the plain names of zelvan.def. On 32-bit Windows the functions are
# __stdcall, so the objects define decorated names (_ZVMove@12): the DLL is linked with a copy
# of zelvan.def that carries the decorations and with --kill-at, which exports the plain
# names, and the import library keeps the decorated symbols so that callers compiled with
# include/zelvan.h link against it.
if(NOT ZELVAN_SANITIZE STREQUAL "")
  message(FATAL_ERROR "The sanitizers are not available in the Windows build")
endif()

# No libgcc, libstdc++ or libwinpthread DLL has to travel with Zelvan.dll or the programs.
add_link_options(-static -static-libgcc -static-libstdc++)
# Programs land beside the DLL, where Windows looks for it first.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

set(zelvan_def ${PROJECT_BINARY_DIR}/zelvan-exports.def)
set(object_lists "")
foreach(part ${zelvan_parts})
  list(APPEND object_lists "$<JOIN:$<TARGET_OBJECTS:${part}>,|>")
endforeach()
list(JOIN object_lists "|" object_lists)
add_custom_command(
  OUTPUT ${zelvan_def}
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDEF=${PROJECT_SOURCE_DIR}/zelvan.def
          -DOUT=${zelvan_def} "-DOBJECTS=${object_lists}" -P ${PROJECT_SOURCE_DIR}/cmake/export_def.cmake
  DEPENDS ${zelvan_objects} ${PROJECT_SOURCE_DIR}/zelvan.def ${PROJECT_SOURCE_DIR}/cmake/export_def.cmake
  COMMENT "Matching the zelvan.def exports with the symbols of the library objects"
  VERBATIM)

add_library(zelvan SHARED ${zelvan_objects} ${zelvan_def})
# msimg32: AlphaBlend and TransparentBlt; windowscodecs and ole32: PNG files.
target_link_libraries(zelvan PRIVATE kernel32 user32 gdi32 msimg32 windowscodecs ole32)
target_link_options(zelvan PRIVATE -Wl,--no-undefined)
target_include_directories(zelvan PUBLIC ${PROJECT_SOURCE_DIR}/include)
set_target_properties(zelvan PROPERTIES OUTPUT_NAME Zelvan PREFIX "")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(zelvan PRIVATE -Wl,--kill-at)
  # The linker's own import library would name the plain symbols; callers need the
  # decorated ones, each importing the plain export.
  add_custom_command(
    TARGET zelvan
    POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} --kill-at --def ${zelvan_def} --dllname Zelvan.dll
            --output-lib $<TARGET_LINKER_FILE:zelvan>
    VERBATIM)
endif()
