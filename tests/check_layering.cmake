# The library folders stand in layers, each including only the public header, the platform's
# neutral headers (platform/win32.h, platform/saturate.h, platform/red_blue.h) and the folders
# at or below its own:
#   core <- draw <- window <- image <- assembly
# so nothing runs up or sideways. None includes a POSIX, X11 or FreeType header, nor anything
# from platform/posix, and none tests which host it is built for: that is the platform's
# business and the build's, with one exception, the library's entry point (DllMain on Windows,
# a constructor elsewhere).
#
# The POSIX platform stands in layers of its own, which include no library folder:
#   kernel/              the kernel calls, on nothing else
#   gdi/                 the rasterizer, on plain surfaces, on nothing else
#   display/             the drivers, on gdi/'s DIB formats (gdi/dib/); headless/, x11/ and wayland/ apart, sharing display.h and picture/
#   user/                the window manager, on all three
#
# An include is read as the compiler reads it: "..." first beside the including file, then
# from the top of the tree or include/; <...> from the top of the tree or include/. `../` and
# `./` are resolved, so "../window/x.h" counts as window/.
#
# -DROOT=<tree> checks the tree. -DPLANT=<file> -DPLANT_AS=<path in the tree> checks one more
# file as if it stood at that path: the self-test plants one violation of each rule that way.
cmake_minimum_required(VERSION 3.20)

set(layers core draw window image assembly)
set(entry_file core/library_entry.cpp)
set(neutral_headers platform/win32.h platform/saturate.h platform/red_blue.h include/zelvan.h)
set(forbidden_system "^(X11/|ft2build|freetype|fontconfig|pthread|unistd|sys/|dlfcn|windows\\.h)")
# Preprocessor tests of the host: which system, compiler or runtime the code is built for.
set(host_tests "_WIN32|_WIN64|(^|[^A-Za-z_])WIN32([^A-Za-z_]|$)|__MINGW|__CYGWIN__|_MSC_VER|__linux|__unix|__APPLE__|__gnu_linux__")
# What each platform folder may include besides itself: a folder, or one room of it.
set(platform_kernel_may "")
set(platform_gdi_may "")
set(platform_display_may gdi/dib)
set(platform_user_may kernel gdi display)

set(problems "")
macro(refuse file text)
  list(APPEND problems "${file}: ${text}")
endmacro()

# The path an include names, relative to ROOT, or empty for a header from outside the tree.
# `dir` is the including file's folder, relative to ROOT.
function(resolve_include out dir quote path)
  set(result "")
  if(quote)
    cmake_path(APPEND ROOT ${dir} ${path} OUTPUT_VARIABLE beside)
    cmake_path(NORMAL_PATH beside)
    if(EXISTS ${beside} OR path MATCHES "^\\.\\.?/")
      set(result ${beside})
    endif()
  endif()
  if(result STREQUAL "")
    foreach(base ${ROOT} ${ROOT}/include)
      cmake_path(APPEND base ${path} OUTPUT_VARIABLE candidate)
      cmake_path(NORMAL_PATH candidate)
      if(result STREQUAL "" AND EXISTS ${candidate})
        set(result ${candidate})
      endif()
    endforeach()
  endif()
  if(result STREQUAL "" AND path MATCHES "^(core|draw|window|image|assembly|platform|include)/")
    # A header that does not exist yet still names its folder.
    set(result ${ROOT}/${path})
  endif()
  if(NOT result STREQUAL "")
    cmake_path(RELATIVE_PATH result BASE_DIRECTORY ${ROOT})
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Checks one file's includes and host tests; `where` is its path relative to ROOT.
function(check_file file where)
  set(problems ${problems})
  cmake_path(GET where PARENT_PATH dir)
  string(REGEX MATCH "^[^/]+" top ${where})
  list(FIND layers "${top}" level)
  set(platform_part "")
  if(where MATCHES "^platform/posix/([a-z_]+)/")
    set(platform_part ${CMAKE_MATCH_1})
  endif()
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*(include|if|ifdef|ifndef|elif)")
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*#[ \t]*(if|ifdef|ifndef|elif)[ \t(]")
      if(level GREATER -1 AND NOT where STREQUAL entry_file AND line MATCHES "${host_tests}")
        refuse(${where} "tests its host (${line}): only ${entry_file} and platform/ may")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "include[ \t]*([\"<])([^\">]+)[\">]")
      continue()
    endif()
    set(quote 0)
    if(CMAKE_MATCH_1 STREQUAL "\"")
      set(quote 1)
    endif()
    set(path ${CMAKE_MATCH_2})
    resolve_include(target "${dir}" ${quote} ${path})
    if(target STREQUAL "")
      if(level GREATER -1 AND path MATCHES "${forbidden_system}")
        refuse(${where} "${line} is a system header the library must not know")
      endif()
      continue()
    endif()
    list(FIND neutral_headers "${target}" neutral)
    if(neutral GREATER -1)
      continue()
    endif()
    string(REGEX MATCH "^[^/]+" target_top ${target})
    list(FIND layers "${target_top}" target_level)
    if(level GREATER -1)
      if(target_level EQUAL -1 OR target_level GREATER level)
        refuse(${where} "${line} reaches ${target}, up or sideways from ${top}/")
      endif()
    elseif(NOT platform_part STREQUAL "")
      if(target_level GREATER -1)
        refuse(${where} "${line} reaches the library (${target}) from the platform")
      elseif(target MATCHES "^platform/posix/([a-z_]+)/(([a-z_]+)/)?")
        set(target_part ${CMAKE_MATCH_1})
        set(target_room "${CMAKE_MATCH_3}")
        set(allowed ${platform_${platform_part}_may} ${platform_part})
        list(FIND allowed "${target_part}" ok)
        if(ok EQUAL -1 AND NOT target_room STREQUAL "")
          # Allowed one room of a folder only, as display/ is gdi/'s DIB formats.
          set(target_part ${target_part}/${target_room})
          list(FIND allowed "${target_part}" ok)
        endif()
        if(ok EQUAL -1)
          refuse(${where} "${line} breaks the platform's order: ${platform_part}/ may not include ${target_part}/")
        elseif(platform_part STREQUAL "display" AND target_part STREQUAL "display")
          # The drivers share display.h, display_guard.h and picture/, and nothing else.
          set(driver "")
          if(where MATCHES "^platform/posix/display/(headless|x11|wayland)/")
            set(driver ${CMAKE_MATCH_1})
          endif()
          if(target MATCHES "^platform/posix/display/(headless|x11|wayland)/" AND NOT driver STREQUAL CMAKE_MATCH_1)
            refuse(${where} "${line} reaches another display driver")
          endif()
        endif()
      endif()
    endif()
  endforeach()
  set(problems ${problems} PARENT_SCOPE)
endfunction()

set(found_files 0)
foreach(folder ${layers} platform)
  file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
  foreach(f ${files})
    math(EXPR found_files "${found_files} + 1")
    cmake_path(RELATIVE_PATH f BASE_DIRECTORY ${ROOT} OUTPUT_VARIABLE where)
    check_file(${f} ${where})
  endforeach()
endforeach()
if(DEFINED PLANT)
  check_file(${PLANT} ${PLANT_AS})
endif()
# A moved tree must not pass by finding nothing to check.
if(found_files LESS 120)
  refuse(${ROOT} "only ${found_files} library and platform files found")
endif()
# One line each, unwrapped, for the self-test to match.
foreach(problem ${problems})
  message(NOTICE "${problem}")
endforeach()
list(LENGTH problems problem_count)
if(problem_count GREATER 0)
  message(FATAL_ERROR "${problem_count} layering faults")
endif()
