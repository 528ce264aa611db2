# The library folders stand in layers, each including only the public header, platform/win32.h,
# platform/saturate.h and platform/red_blue.h, and the folders at or below its own:
#   core <- draw <- window <- image <- assembly
# so nothing runs up or sideways. None includes a POSIX, X11 or FreeType header, nor anything
# from platform/posix.
set(layers core draw window image assembly)
set(forbidden "platform/posix|<X11/|<ft2build|<fontconfig|<pthread|<unistd|<sys/|<dlfcn|<windows.h")
set(found_files 0)
list(LENGTH layers layer_count)
math(EXPR last "${layer_count} - 1")
foreach(level RANGE ${last})
  list(GET layers ${level} folder)
  file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  list(LENGTH files count)
  math(EXPR found_files "${found_files} + ${count}")
  foreach(f ${files})
    file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "${forbidden}")
        message(FATAL_ERROR "${f}: ${line}")
      endif()
      if(line MATCHES "\"([a-z_]+)/" AND NOT CMAKE_MATCH_1 STREQUAL "platform")
        list(FIND layers "${CMAKE_MATCH_1}" included_level)
        if(included_level EQUAL -1 OR included_level GREATER level)
          message(FATAL_ERROR "${f}: ${line} reaches up or sideways from ${folder}/")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()
# A moved tree must not pass by finding nothing to check.
if(found_files LESS 50)
  message(FATAL_ERROR "only ${found_files} library files found under ${ROOT}")
endif()
