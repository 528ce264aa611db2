# docs/DESIGN.md is the map of the tree: every source file of the library folders and of
# platform/ is named there, in its room, and every path it names is there. The tree stays easy
# to map: no folder holds more than 20 files (its build's CMake files aside), and no file name
# stands in two places.
#
# A file is named by its whole path in backticks (`core/heap.cpp`), or by its name, or the end
# of its path, in backticks on a line that also names its folder, or a file directly in it, in
# backticks (`platform/posix/kernel/` ... `timing.cpp`): a name two rooms share is named in each.
#
# -DROOT=<tree> checks the tree. For the self-test, -DPLANT_AS=<path in the tree>[,<path>...]
# adds source files that are not there, and -DPLANT_LINE=<text> a line to the map.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/report_problems.cmake)

set(folders core draw window image assembly platform)
set(source_pattern "\\.(c|cc|cpp|cxx)$")
set(most_files_in_a_folder 20)

file(READ ${ROOT}/docs/DESIGN.md map)
if(DEFINED PLANT_LINE)
  string(APPEND map "\n${PLANT_LINE}\n")
endif()
# One list element per line: a list would split at ';' and group at brackets.
string(REPLACE ";" "," map "${map}")
string(REPLACE "[" "(" map "${map}")
string(REPLACE "]" ")" map "${map}")

set(files "")
foreach(folder ${folders})
  file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${ROOT} ${ROOT}/${folder}/*)
  list(APPEND files ${found})
endforeach()
if(DEFINED PLANT_AS)
  string(REPLACE "," ";" planted "${PLANT_AS}")
  list(APPEND files ${planted})
endif()
set(sources "")
foreach(path ${files})
  if(path MATCHES "${source_pattern}")
    list(APPEND sources ${path})
  endif()
endforeach()

set(problems "")

# Files by folder and by name, the build's own files left out.
set(counted_folders "")
set(names "")
foreach(path ${files})
  if(path MATCHES "(^|/)CMakeLists\\.txt$|\\.cmake$")
    continue()
  endif()
  cmake_path(GET path PARENT_PATH folder)
  cmake_path(GET path FILENAME name)
  string(MD5 folder_key "${folder}")
  string(MD5 name_key "${name}")
  list(APPEND counted_folders ${folder})
  list(APPEND names ${name})
  list(APPEND in_folder_${folder_key} ${path})
  list(APPEND named_${name_key} ${path})
endforeach()
list(REMOVE_DUPLICATES counted_folders)
foreach(folder ${counted_folders})
  string(MD5 folder_key "${folder}")
  list(LENGTH in_folder_${folder_key} count)
  if(count GREATER most_files_in_a_folder)
    list(APPEND problems "${folder}/ holds ${count} files, more than ${most_files_in_a_folder}")
  endif()
endforeach()
list(REMOVE_DUPLICATES names)
foreach(name ${names})
  string(MD5 name_key "${name}")
  list(LENGTH named_${name_key} count)
  if(count GREATER 1)
    list(JOIN named_${name_key} " and " places)
    list(APPEND problems "${name} stands in two places: ${places}")
  endif()
endforeach()
list(LENGTH sources source_count)
# A moved tree or map must not pass by finding nothing to check.
if(source_count LESS 100)
  list(APPEND problems "${ROOT}: only ${source_count} source files found")
endif()

foreach(path ${sources})
  string(FIND "${map}" "`${path}`" whole)
  if(whole GREATER -1)
    continue()
  endif()
  cmake_path(GET path FILENAME name)
  cmake_path(GET path PARENT_PATH folder)
  string(REGEX REPLACE "([.+])" "\\\\\\1" name_regex "${name}")
  string(REGEX REPLACE "([.+])" "\\\\\\1" folder_regex "${folder}")
  # The lines naming the file by its name or a path ending in it.
  string(REGEX MATCHALL "[^\n]*`([^`\n]*/)?${name_regex}`[^\n]*" lines "${map}")
  set(named FALSE)
  foreach(line ${lines})
    string(REGEX MATCHALL "`([^`\n]*/)?${name_regex}`" tokens "${line}")
    # The folder itself, or a file directly in it, not a room below it.
    string(REGEX MATCH "`${folder_regex}/[^/`\n]*`" names_folder "${line}")
    foreach(token ${tokens})
      string(REPLACE "`" "" token "${token}")
      # The token is the path, or its end after a '/', and the line names the folder.
      string(LENGTH "/${token}" ending_length)
      string(LENGTH "${path}" path_length)
      set(ending "")
      if(path_length GREATER_EQUAL ending_length)
        math(EXPR start "${path_length} - ${ending_length}")
        string(SUBSTRING "${path}" ${start} -1 ending)
      endif()
      if(ending STREQUAL "/${token}" AND NOT names_folder STREQUAL "")
        set(named TRUE)
      endif()
    endforeach()
  endforeach()
  if(NOT named)
    list(APPEND problems "${path} is not named in docs/DESIGN.md")
  endif()
endforeach()

# Every library path the map names in backticks is in the tree, so that a moved or removed file
# does not leave the map pointing at nothing.
# (A token that is neither a file nor a folder, as the type `image/png`, is not a path.)
set(path_token "`(core|draw|window|image|assembly|platform|include)/([^` \n]*/|[^` \n]*\\.[a-z]+)?`")
string(REGEX MATCHALL "${path_token}" named_paths "${map}")
list(REMOVE_DUPLICATES named_paths)
foreach(token ${named_paths})
  string(REPLACE "`" "" named_path "${token}")
  if(NOT EXISTS ${ROOT}/${named_path})
    list(APPEND problems "docs/DESIGN.md names ${named_path}, which is not in the tree")
  endif()
endforeach()

report_problems("faults in the map" ${problems})
