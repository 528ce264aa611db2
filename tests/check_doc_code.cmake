# Checks the code blocks of Markdown files, so that no document shows code that has gone
# stale. Run with -P, -DDOCS=<file>,<file>... and -DOUT=<scratch folder>, and either
#   -DCOMPILER=<C compiler> -DINCLUDE=<folder of zelvan.h>
#       Every ```c block compiles with -std=c11 -Wall -Wextra -Werror. A block with a main
#       function is a whole program and compiles as it stands. A block that only declares one
#       ZV function is a signature and is skipped. Any other block is a fragment: it becomes
#       the body of a function of its own, after a prelude that defines _POSIX_C_SOURCE,
#       includes <stdio.h>, <time.h> and zelvan.h, and declares the window handles `w` and
#       `other` and a flag `quit` (unused variables are allowed in fragments).
#   -DPYTHON=<python3> -DMODULE=<folder of zelvan.py> [-DPYTHON_ENV=<NAME=value|...>]
#       Every ```python block runs as a script of its own, without a display, in a fresh
#       folder, with the module importable, and must end with status 0.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
if(DEFINED PYTHON)
  set(language python)
else()
  set(language c)
endif()

# The blocks of one language in every document, with their semicolons and brackets hidden so
# that CMake's lists leave them whole; unhide() gives a block back as written.
set(blocks "")
string(REPLACE "," ";" documents "${DOCS}")
foreach(document ${documents})
  file(READ ${document} text)
  string(REPLACE ";" "@SEMICOLON@" text "${text}")
  string(REPLACE "[" "@OPEN@" text "${text}")
  string(REPLACE "]" "@CLOSE@" text "${text}")
  string(REGEX MATCHALL "```${language}\n[^`]*```" found "${text}")
  list(APPEND blocks ${found})
endforeach()
function(unhide block out)
  string(REGEX REPLACE "^```${language}\n(.*)```$" "\\1" code "${block}")
  string(REPLACE "@SEMICOLON@" ";" code "${code}")
  string(REPLACE "@OPEN@" "[" code "${code}")
  string(REPLACE "@CLOSE@" "]" code "${code}")
  set(${out} "${code}" PARENT_SCOPE)
endfunction()

function(fail_unless_ok status output what)
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${what} in ${DOCS} fails (${status}):\n${output}")
  endif()
endfunction()

if(language STREQUAL "python")
  string(REPLACE "|" ";" environment "${PYTHON_ENV}")
  set(count 0)
  foreach(block ${blocks})
    unhide("${block}" code)
    math(EXPR count "${count} + 1")
    file(MAKE_DIRECTORY ${OUT}/${count})
    file(WRITE ${OUT}/sample_${count}.py "${code}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=ZELVAN_PICTURES
                            PYTHONPATH=${MODULE} ${environment} ${PYTHON} ${OUT}/sample_${count}.py
                    WORKING_DIRECTORY ${OUT}/${count} RESULT_VARIABLE status
                    OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
    fail_unless_ok("${status}" "${output}" "Python sample ${OUT}/sample_${count}.py")
  endforeach()
  if(count EQUAL 0)
    message(FATAL_ERROR "no Python samples found in ${DOCS}")
  endif()
  message(STATUS "${count} Python samples run")
  return()
endif()

set(strict -std=c11 -Wall -Wextra -Werror -fsyntax-only -I${INCLUDE})
string(CONCAT fragments "#define _POSIX_C_SOURCE 200809L\n#include <stdio.h>\n#include <time.h>\n"
                        "#include \"zelvan.h\"\n")
set(program_count 0)
set(fragment_count 0)
foreach(block ${blocks})
  if(block MATCHES "^```c\n[A-Za-z_ ]+\\*?ZV[A-Za-z_0-9]+\\([^)]*\\)@SEMICOLON@\n```$")
    continue()
  endif()
  unhide("${block}" code)
  if(code MATCHES "int main\\(")
    math(EXPR program_count "${program_count} + 1")
    set(program ${OUT}/program_${program_count}.c)
    file(WRITE ${program} "${code}")
    execute_process(COMMAND ${COMPILER} ${strict} ${program} RESULT_VARIABLE status
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    fail_unless_ok("${status}" "${output}" "C program ${program}")
  else()
    math(EXPR fragment_count "${fragment_count} + 1")
    string(APPEND fragments "void fragment_${fragment_count}(void) {\n"
                            "    int w = 1, other = 2, quit = 0;\n"
                            "    (void)w; (void)other; (void)quit;\n    {\n${code}    }\n}\n")
  endif()
endforeach()
file(WRITE ${OUT}/fragments.c "${fragments}")
execute_process(COMMAND ${COMPILER} ${strict} -Wno-unused-variable -Wno-unused-but-set-variable
                        ${OUT}/fragments.c RESULT_VARIABLE status OUTPUT_VARIABLE output
                        ERROR_VARIABLE output)
fail_unless_ok("${status}" "${output}" "C fragments, wrapped in ${OUT}/fragments.c,")
message(STATUS "${program_count} C programs and ${fragment_count} C fragments compile")
if(program_count EQUAL 0 OR fragment_count EQUAL 0)
  message(FATAL_ERROR "expected both whole C programs and fragments in ${DOCS}")
endif()
