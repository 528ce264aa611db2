# The library folders may include the public header, their own headers and platform/win32.h,
# never a POSIX, X11 or FreeType header and nothing from platform/posix.
set(forbidden "platform/posix|<X11/|<ft2build|<fontconfig|<pthread|<unistd|<sys/|<dlfcn|<windows.h")
foreach(folder core draw window image)
  file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  foreach(f ${files})
    file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "${forbidden}")
        message(FATAL_ERROR "${f}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
