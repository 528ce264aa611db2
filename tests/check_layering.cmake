# The library folders stand in layers, each including only the public header, the platform's
# neutral headers (platform/win32.h, platform/saturate.h, platform/red_blue.h) and the folders
# at or below its own:
#   core <- draw <- window <- image <- assembly
# so nothing runs up or sideways. The POSIX platform stands in layers of its own, which include
# no library folder:
#   kernel/              the kernel calls, on nothing else
#   gdi/                 the rasterizer, on plain surfaces, on nothing else
#   display/             the drivers, on gdi/'s DIB formats (gdi/dib/); each driver apart
#   user/                the window manager, on all three
# The neutral headers include one another only, and the public header nothing of the tree.
#
# Headers from outside the tree are allowed by name, place by place (the lists below): what a
# place does not name, it may not include. No library folder tests which host or compiler it is
# built for: a directive naming a reserved identifier (`__x`, `_X`) or a host name the compiler
# predefines is refused outside platform/, the public header and the library's entry point
# (DllMain on Windows, a constructor elsewhere).
#
# Files are read as the compiler reads them: lines continued with a backslash are joined,
# comments are dropped, and every file under the folders is read whatever its name ends in
# (only the build's CMake files and Markdown are left out). An include is resolved as the
# compiler resolves it: "..." first beside the including file, then from the top of the tree or
# include/; <...> from the top of the tree or include/; `../` and `./` count. An include built
# from a macro is refused unless the place names the macro.
#
# -DROOT=<tree> checks the tree. -DPLANT=<file> -DPLANT_AS=<path in the tree> reads one more
# file as if it stood at that path (or in place of the file there): the self-test plants one
# violation of each rule that way.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/report_problems.cmake)

set(layers core draw window image assembly)
set(entry_file core/startup/library_entry.cpp)
set(neutral_headers platform/win32.h platform/saturate.h platform/red_blue.h include/zelvan.h)
# What each platform folder may include besides itself and the neutral headers: a folder, or
# one room of it.
set(platform_parts kernel gdi display user)
set(platform_kernel_may "")
set(platform_gdi_may "")
set(platform_display_may gdi/dib)
set(platform_user_may kernel gdi display)
# display/'s drivers share its own files and its other rooms, never one another's.
set(display_drivers headless x11 wayland)
# The language's own reserved names, the same on every host.
set(language_macros __cplusplus __VA_ARGS__ __VA_OPT__ __FILE__ __LINE__ __func__)
# Host names GCC and MinGW predefine without the reserved spelling.
set(plain_host_macros WIN32 WIN64 WINNT linux unix i386)

# Headers from outside the tree, by place: a file may include what is named for its own path and
# for every folder above it. `*` stands for any run of characters.
#
# The library: the language's own headers, which compile alike on every host and do no input,
# output, threading or timing of their own. Files, threads, locks and clocks come only through
# platform/win32.h, so that the same folders build against Windows and our platform.
set(library_language algorithm atomic cmath cstddef cstring initializer_list limits.h math.h new
                     stddef.h stdint.h string.h vector)
foreach(layer ${layers})
  set(outside.${layer} ${library_language})
endforeach()
# The entry point starts the library once (std::call_once), before any platform lock exists.
set(outside.core/startup/library_entry.cpp mutex)
# The two PNG codecs, each named to one host's build.
set(outside.image/files/png_codec_libpng.cpp png.h)
set(outside.image/files/png_codec_wic.cpp objbase.h wincodec.h)
# The public header stands alone, a C program's first include: outside.include stays empty.
# The neutral headers: Windows' own API, else plain C types; the x86 intrinsics where the
# compiler has them.
set(outside.platform/win32.h windows.h stddef.h stdint.h)
set(outside.platform/saturate.h stdint.h)
set(outside.platform/red_blue.h immintrin.h stddef.h stdint.h string.h)
# Every room of the POSIX platform: the C and C++ standard headers it uses.
set(outside.platform/posix
    algorithm atomic ctype.h deque errno.h initializer_list limits.h list map math.h memory mutex
    new stdarg.h stddef.h stdint.h stdio.h stdlib.h string string.h time.h tuple unordered_map
    unordered_set utility vector)
# The kernel calls over POSIX threads, futexes, descriptors and the dynamic loader.
set(outside.platform/posix/kernel
    cxxabi.h dlfcn.h execinfo.h fcntl.h linux/futex.h pthread.h sched.h signal.h strings.h
    sys/stat.h sys/syscall.h unistd.h)
# The rasterizer's vector rows.
set(outside.platform/posix/gdi immintrin.h)
# The font engine: FreeType (its headers are named through its own macros) and fontconfig.
set(outside.platform/posix/gdi/text ft2build.h FT_FREETYPE_H fontconfig/fontconfig.h)
# The X11 driver: Xlib, shared memory, and libpng for the clipboard's PNG.
set(outside.platform/posix/display/x11
    X11/Xatom.h X11/Xlib.h X11/Xutil.h X11/extensions/XShm.h X11/keysym.h png.h poll.h pthread.h
    sys/ipc.h sys/shm.h)
# The clipboard's picture as files for the drivers, PNG by libpng.
set(outside.platform/posix/display/picture png.h)
# The Wayland driver: the client library, the protocol headers wayland-scanner makes in the
# build tree, the cursor theme's arrow, xkbcommon for the keymap, libdecor for frames, and
# shared-memory buffers.
set(outside.platform/posix/display/wayland
    wayland-client.h wayland-cursor.h *-client-protocol.h xkbcommon/xkbcommon.h libdecor.h
    linux/input-event-codes.h fcntl.h poll.h pthread.h sys/epoll.h sys/mman.h sys/timerfd.h
    thread unistd.h)
# The window manager: its threads' queues wake through eventfd and poll.
set(outside.platform/posix/user poll.h pthread.h strings.h sys/eventfd.h unistd.h)

set(problems "")
macro(refuse file text)
  list(APPEND problems "${file}: ${text}")
endmacro()

# A regular expression matching any name of `names`, whole, with `*` for any run of characters.
function(names_regex out)
  set(alternatives "")
  foreach(name ${ARGN})
    string(REGEX REPLACE "([.+?()^$|])" "\\\\\\1" name "${name}")
    string(REPLACE "*" ".*" name "${name}")
    list(APPEND alternatives "${name}")
  endforeach()
  list(JOIN alternatives "|" joined) # none: matches only the empty name, which never comes
  set(${out} "^(${joined})$" PARENT_SCOPE)
endfunction()

names_regex(language_regex ${language_macros})
names_regex(plain_host_regex ${plain_host_macros})

# The outside headers a file may include: those named for its path and for each folder above it.
function(outside_allowed out where)
  set(allowed "")
  set(place "")
  string(REPLACE "/" ";" parts "${where}")
  foreach(part ${parts})
    if(place STREQUAL "")
      set(place ${part})
    else()
      set(place ${place}/${part})
    endif()
    list(APPEND allowed ${outside.${place}})
  endforeach()
  set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

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

# The preprocessor lines of a file, as the compiler sees them: continued lines joined, comments
# dropped, `%:` read as `#`. Each comes back as "name rest" (`include <x.h>`, `if defined(A)`).
function(directives_of out file)
  file(READ ${file} text)
  # A list would split at ';' and group at brackets; neither matters to a header or a name.
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "(" text "${text}")
  string(REPLACE "]" ")" text "${text}")
  string(REGEX REPLACE "\\\\\r?\n" "" text "${text}")
  string(REGEX MATCHALL "(^|\n)[ \t]*(/\\*[^\n]*\\*/[ \t]*)*(#|%:)[^\n]*" lines "${text}")
  set(result "")
  foreach(line ${lines})
    string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" " " line "${line}")
    string(REGEX REPLACE "//.*$" "" line "${line}")
    string(REGEX REPLACE "^[\n \t]*(#|%:)[ \t]*" "" line "${line}")
    string(STRIP "${line}" line)
    if(NOT line STREQUAL "")
      list(APPEND result "${line}")
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Where an include from `where` to the tree's `target` breaks the order, the reason; else empty.
function(order_fault out where target)
  set(fault "")
  string(REGEX MATCH "^[^/]+" top ${where})
  list(FIND layers "${top}" level)
  string(REGEX MATCH "^[^/]+" target_top ${target})
  list(FIND layers "${target_top}" target_level)
  list(FIND neutral_headers "${target}" neutral)
  if(level GREATER -1)
    if(target_level GREATER level OR (target_level EQUAL -1 AND neutral EQUAL -1))
      set(fault "reaches ${target}, up or sideways from ${top}/")
    endif()
  elseif(top STREQUAL "include")
    if(NOT target MATCHES "^include/")
      set(fault "reaches ${target}: the public header includes nothing else of the tree")
    endif()
  elseif(where MATCHES "^platform/[^/]+$")
    if(NOT target MATCHES "^platform/[^/]+$")
      set(fault "reaches ${target}: the platform's neutral headers include one another only")
    endif()
  elseif(target_level GREATER -1 OR target MATCHES "^include/")
    set(fault "reaches the library (${target}) from the platform")
  elseif(target MATCHES "^platform/[^/]+$")
    # The neutral headers serve every part of the platform.
  elseif(NOT target MATCHES "^platform/posix/([a-z0-9_]+)/(([a-z0-9_]+)/)?")
    set(fault "reaches ${target}, outside the platform")
  else()
    set(target_part ${CMAKE_MATCH_1})
    set(target_room "${CMAKE_MATCH_3}")
    string(REGEX MATCH "^platform/posix/([a-z0-9_]+)/" ignored ${where})
    set(part ${CMAKE_MATCH_1})
    set(allowed ${platform_${part}_may} ${part})
    list(FIND allowed "${target_part}" ok)
    if(ok EQUAL -1 AND NOT target_room STREQUAL "")
      # Allowed one room of a folder only, as display/ is gdi/'s DIB formats.
      set(target_part ${target_part}/${target_room})
      list(FIND allowed "${target_part}" ok)
    endif()
    if(ok EQUAL -1)
      set(fault "breaks the platform's order: ${part}/ may not include ${target_part}/")
    elseif(part STREQUAL "display" AND target_part STREQUAL "display")
      set(driver "")
      if(where MATCHES "^platform/posix/display/([a-z0-9_]+)/")
        list(FIND display_drivers "${CMAKE_MATCH_1}" is_driver)
        if(is_driver GREATER -1)
          set(driver ${CMAKE_MATCH_1})
        endif()
      endif()
      list(FIND display_drivers "${target_room}" target_is_driver)
      if(target_is_driver GREATER -1 AND NOT driver STREQUAL target_room)
        set(fault "reaches a display driver not its own (${target})")
      endif()
    endif()
  endif()
  set(${out} "${fault}" PARENT_SCOPE)
endfunction()

# Checks one file's includes and host tests; `where` is its path relative to ROOT.
function(check_file file where)
  set(problems ${problems})
  cmake_path(GET where PARENT_PATH dir)
  if(where MATCHES "^platform/" AND NOT where MATCHES "^platform/[^/]+$")
    set(part "")
    if(where MATCHES "^platform/posix/([a-z0-9_]+)/")
      set(part ${CMAKE_MATCH_1})
    endif()
    list(FIND platform_parts "${part}" known)
    if(known EQUAL -1)
      refuse(${where} "stands in no platform folder the order names")
      set(problems ${problems} PARENT_SCOPE)
      return()
    endif()
  endif()
  set(may_test_host FALSE)
  if(where STREQUAL entry_file OR where MATCHES "^(platform|include)/")
    set(may_test_host TRUE)
  endif()
  outside_allowed(allowed ${where})
  names_regex(allowed_regex ${allowed})
  directives_of(lines ${file})
  foreach(line ${lines})
    if(NOT line MATCHES "^(include_next|include|import)([^A-Za-z0-9_].*|)$")
      if(may_test_host)
        continue()
      endif()
      string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${line}")
      foreach(name ${names})
        if((name MATCHES "^(__|_[A-Z])" AND NOT name MATCHES "${language_regex}")
           OR name MATCHES "${plain_host_regex}")
          set(who "only ${entry_file}, include/ and platform/ may test the host")
          refuse(${where} "names the compiler or host macro ${name} (#${line}): ${who}")
          break()
        endif()
      endforeach()
      continue()
    endif()
    string(STRIP "${CMAKE_MATCH_2}" named)
    if(named MATCHES "^<([^>]+)>")
      set(quote 0)
    elseif(named MATCHES "^\"([^\"]+)\"")
      set(quote 1)
    else()
      string(REGEX MATCH "^[A-Za-z_][A-Za-z0-9_]*" macro "${named}")
      if(macro STREQUAL "" OR NOT macro MATCHES "${allowed_regex}")
        refuse(${where} "builds its include from a macro (#${line}), which the check cannot follow")
      endif()
      continue()
    endif()
    set(path ${CMAKE_MATCH_1})
    resolve_include(target "${dir}" ${quote} ${path})
    if(target STREQUAL "")
      if(NOT path MATCHES "${allowed_regex}")
        refuse(${where} "#${line}: <${path}> is on no allow-list that covers it (outside.*)")
      endif()
      continue()
    endif()
    order_fault(fault ${where} ${target})
    if(NOT fault STREQUAL "")
      refuse(${where} "#${line} ${fault}")
    endif()
  endforeach()
  set(problems ${problems} PARENT_SCOPE)
endfunction()

# Every file under the folders, whatever its name; a plant joins them or takes a file's place.
set(paths "")
foreach(folder ${layers} include platform)
  file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${ROOT} ${ROOT}/${folder}/*)
  list(APPEND paths ${found})
endforeach()
if(DEFINED PLANT)
  list(APPEND paths ${PLANT_AS})
  list(REMOVE_DUPLICATES paths)
endif()
set(found_files 0)
foreach(where ${paths})
  # The build's own files and documents: the compiler reads neither.
  if(where MATCHES "(^|/)CMakeLists\\.txt$|\\.(cmake|md)$")
    continue()
  endif()
  set(file ${ROOT}/${where})
  if(DEFINED PLANT AND where STREQUAL PLANT_AS)
    set(file ${PLANT})
  endif()
  math(EXPR found_files "${found_files} + 1")
  check_file(${file} ${where})
endforeach()
# A moved tree must not pass by finding nothing to check.
if(found_files LESS 120)
  refuse(${ROOT} "only ${found_files} library and platform files found")
endif()
report_problems("layering faults" ${problems})
