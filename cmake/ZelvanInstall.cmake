# Installs the libraries, the header, a CMake package (find_package(Zelvan) gives
# Zelvan::zelvan and Zelvan::zelvan_static) and a pkg-config file (pkg-config --cflags --libs
# zelvan; --static adds what libzelvan.a needs).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

target_include_directories(zelvan INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(zelvan PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

# What a program linked with libzelvan.a needs besides it, by plain library name, so that
# find_package(Zelvan) asks for no development package unless the static library is used.
get_property(have_x11_driver GLOBAL PROPERTY ZELVAN_HAVE_X11_DRIVER)
get_property(have_wayland_driver GLOBAL PROPERTY ZELVAN_HAVE_WAYLAND_DRIVER)
get_property(have_libdecor GLOBAL PROPERTY ZELVAN_HAVE_LIBDECOR)
set(static_link_needs fontconfig freetype png)
if(have_x11_driver)
  list(APPEND static_link_needs X11 Xext)
endif()
if(have_wayland_driver)
  list(APPEND static_link_needs wayland-client wayland-cursor xkbcommon)
endif()
if(have_libdecor)
  list(APPEND static_link_needs decor-0)
endif()
list(APPEND static_link_needs pthread ${CMAKE_DL_LIBS} m stdc++)
target_link_libraries(zelvan_static PUBLIC "$<INSTALL_INTERFACE:${static_link_needs}>")
target_include_directories(zelvan_static INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS zelvan zelvan_static EXPORT ZelvanTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/zelvan.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The licence travels with the binaries, as its third condition asks.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Zelvan)
install(EXPORT ZelvanTargets NAMESPACE Zelvan:: DESTINATION ${package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZelvanConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/ZelvanConfig.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZelvanConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZelvanConfig.cmake ${PROJECT_BINARY_DIR}/ZelvanConfigVersion.cmake
        DESTINATION ${package_dir})

# Libs.private: what a static link needs besides libzelvan.a and the packages below; the C++
# runtime, as C programs are linked by the C compiler.
set(ZELVAN_PC_LIBS_PRIVATE "-lstdc++ -lm -lpthread")
if(CMAKE_DL_LIBS)
  string(APPEND ZELVAN_PC_LIBS_PRIVATE " -l${CMAKE_DL_LIBS}")
endif()
# The packages the library links: fonts and PNG always, the display drivers' when they are built.
set(private_packages freetype2 fontconfig libpng)
if(have_x11_driver)
  list(APPEND private_packages x11 xext)
endif()
if(have_wayland_driver)
  list(APPEND private_packages wayland-client wayland-cursor xkbcommon)
endif()
if(have_libdecor)
  list(APPEND private_packages libdecor-0)
endif()
string(JOIN " " ZELVAN_PC_REQUIRES_PRIVATE ${private_packages})
file(RELATIVE_PATH ZELVAN_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${CMAKE_CURRENT_LIST_DIR}/zelvan.pc.in ${PROJECT_BINARY_DIR}/zelvan.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zelvan.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python module goes where the prefix's Python looks for modules, asked of the interpreter
# when installing (a later --prefix counts). /usr and /usr/local are the system Python's own.
# The copy installed learns where the library lies relative to itself, so that it loads it
# without ZELVAN_LIBRARY or the loader's search path.
find_program(ZELVAN_PYTHON3 python3)
if(ZELVAN_PYTHON3 AND NOT WIN32)
  install(CODE "set(ZELVAN_PYTHON3 [[${ZELVAN_PYTHON3}]])
    set(ZELVAN_MODULE [[${PROJECT_SOURCE_DIR}/python/zelvan.py]])
    set(ZELVAN_STAGING [[${PROJECT_BINARY_DIR}/python-install]])
    set(ZELVAN_LIBDIR [[${CMAKE_INSTALL_LIBDIR}]])
    include([[${CMAKE_CURRENT_LIST_DIR}/install_python_module.cmake]])")
endif()

# `cpack -G DEB` in the build folder makes a Debian package of the installed tree.
set(CPACK_PACKAGE_NAME zelvan)
set(CPACK_PACKAGE_VENDOR "Zelvan developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Graphics windows for plain C and C++ programs")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zelvan developers")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
