# zelvan_def_names(<def file> <variable>): the exported names a module-definition file lists,
# one per indented line starting with ZV, as a CMake list. Used by the build and by the export
# checks, in configure and script mode alike.
function(zelvan_def_names def variable)
  file(STRINGS ${def} def_lines REGEX "^[ \t]+ZV")
  set(names "")
  foreach(line ${def_lines})
    string(STRIP "${line}" name)
    list(APPEND names ${name})
  endforeach()
  set(${variable} ${names} PARENT_SCOPE)
endfunction()
