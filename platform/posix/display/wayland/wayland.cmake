# The Wayland driver's sources, and its protocol code made by wayland-scanner from the
# wayland-protocols package. -DZELVAN_WAYLAND=OFF leaves it out where the packages are present.
option(ZELVAN_WAYLAND "Build the Wayland display driver when its packages are found" ON)
set(wayland_driver_found FALSE)
find_package(PkgConfig QUIET)
if(ZELVAN_WAYLAND AND PKG_CONFIG_FOUND AND PNG_FOUND)
  pkg_check_modules(ZELVAN_WAYLAND_LIBS QUIET IMPORTED_TARGET wayland-client wayland-cursor
                    xkbcommon)
  pkg_get_variable(wayland_protocols_dir wayland-protocols pkgdatadir)
  pkg_get_variable(wayland_scanner wayland-scanner wayland_scanner)
endif()
if(ZELVAN_WAYLAND_LIBS_FOUND AND wayland_protocols_dir AND wayland_scanner)
  set(wayland_driver_found TRUE)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/wayland_protocols)
  file(MAKE_DIRECTORY ${generated})
  set(wayland_protocol_sources "")
  foreach(protocol "stable/xdg-shell/xdg-shell.xml"
                   "unstable/xdg-decoration/xdg-decoration-unstable-v1.xml")
    get_filename_component(name ${protocol} NAME_WE)
    set(xml ${wayland_protocols_dir}/${protocol})
    add_custom_command(OUTPUT ${generated}/${name}-client-protocol.h ${generated}/${name}-protocol.c
                       COMMAND ${wayland_scanner} client-header ${xml} ${generated}/${name}-client-protocol.h
                       COMMAND ${wayland_scanner} private-code ${xml} ${generated}/${name}-protocol.c
                       DEPENDS ${xml} VERBATIM)
    list(APPEND wayland_protocol_sources ${generated}/${name}-protocol.c
                ${generated}/${name}-client-protocol.h)
  endforeach()
  file(GLOB wayland_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  # libdecor draws title bars where the compositor draws none (GNOME).
  pkg_check_modules(ZELVAN_LIBDECOR QUIET IMPORTED_TARGET libdecor-0)
  if(ZELVAN_LIBDECOR_FOUND)
    message(STATUS "Wayland display driver: built, with libdecor's title bars where the compositor draws none")
  else()
    list(REMOVE_ITEM wayland_sources ${CMAKE_CURRENT_LIST_DIR}/wayland_libdecor.cpp)
    message(STATUS "Wayland display driver: built without libdecor (not found): windows have no title bar where the compositor draws none")
  endif()
  list(APPEND display_sources ${wayland_sources} ${wayland_protocol_sources})
else()
  message(STATUS "libwayland-client, libwayland-cursor, wayland-protocols, wayland-scanner, xkbcommon or libpng not found (or ZELVAN_WAYLAND=OFF): the library is built without the Wayland display")
endif()

function(zelvan_wayland_driver_link target)
  target_compile_definitions(${target} PRIVATE ZELVAN_HAVE_WAYLAND)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/wayland_protocols)
  target_link_libraries(${target} PUBLIC PkgConfig::ZELVAN_WAYLAND_LIBS PNG::PNG)
  set_property(GLOBAL PROPERTY ZELVAN_HAVE_WAYLAND_DRIVER TRUE)
  set_property(GLOBAL APPEND PROPERTY ZELVAN_LINK_LIBS ${ZELVAN_WAYLAND_LIBS_LINK_LIBRARIES}
                                                       ${PNG_LIBRARIES})
  if(ZELVAN_LIBDECOR_FOUND)
    target_compile_definitions(${target} PRIVATE ZELVAN_HAVE_LIBDECOR)
    set_property(GLOBAL PROPERTY ZELVAN_HAVE_LIBDECOR TRUE)
    target_link_libraries(${target} PUBLIC PkgConfig::ZELVAN_LIBDECOR)
    set_property(GLOBAL APPEND PROPERTY ZELVAN_LINK_LIBS ${ZELVAN_LIBDECOR_LINK_LIBRARIES})
  endif()
endfunction()
