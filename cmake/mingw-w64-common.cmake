# Shared part of the MinGW-w64 toolchain files; ZELVAN_MINGW_TRIPLET names the target.
#
# The posix-threads variant of the compilers is used: the library itself calls only Win32
# threads, but the test program needs std::thread, which the win32 variant of GCC 12 lacks.
# Everything is linked statically (see the top-level CMakeLists), so Zelvan.dll needs no
# libwinpthread, libgcc or libstdc++ DLL beside it.
set(CMAKE_C_COMPILER ${ZELVAN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVAN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVAN_MINGW_TRIPLET}-windres)
set(CMAKE_DLLTOOL ${ZELVAN_MINGW_TRIPLET}-dlltool)
set(CMAKE_OBJDUMP ${ZELVAN_MINGW_TRIPLET}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELVAN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
