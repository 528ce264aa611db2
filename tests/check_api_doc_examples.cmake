# Compiles every C example of the API reference against zelvan.h, so that none of them goes
# stale. Each example becomes the body of its own function, with the window handles `w` and
# `other` and a flag `quit` declared for it. Run with -DCOMPILER=... -DINCLUDE=... -DDOCS=...
# -DOUT=... -P.
file(READ ${DOCS} docs)
# Semicolons would split CMake lists, and brackets confuse them: hide both while matching.
string(REPLACE ";" "@SEMICOLON@" docs "${docs}")
string(REPLACE "[" "@OPEN@" docs "${docs}")
string(REPLACE "]" "@CLOSE@" docs "${docs}")
string(REGEX MATCHALL "```c\n[^`]*```" blocks "${docs}")
set(source "#include <stdio.h>\n#include \"zelvan.h\"\n")
set(count 0)
foreach(block ${blocks})
  string(REGEX REPLACE "^```c\n(.*)```$" "\\1" code "${block}")
  # A lone declaration is a signature, not an example.
  if(code MATCHES "^[A-Za-z_ ]+\\*?ZV[A-Za-z_0-9]+\\([^)]*\\)@SEMICOLON@\n$")
    continue()
  endif()
  math(EXPR count "${count} + 1")
  string(APPEND source "void example_${count}(void) {\n"
                       "    int w = 1, other = 2, quit = 0@SEMICOLON@\n"
                       "    (void)w@SEMICOLON@ (void)other@SEMICOLON@ (void)quit@SEMICOLON@\n"
                       "    {\n${code}    }\n}\n")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no C examples found in ${DOCS}")
endif()
string(REPLACE "@SEMICOLON@" ";" source "${source}")
string(REPLACE "@OPEN@" "[" source "${source}")
string(REPLACE "@CLOSE@" "]" source "${source}")
file(WRITE ${OUT} "${source}")
execute_process(COMMAND ${COMPILER} -std=c99 -Wall -Werror -Wno-unused-variable
                        -Wno-unused-but-set-variable -fsyntax-only -I${INCLUDE} ${OUT}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "an example in ${DOCS} does not compile:\n${out}")
endif()
message(STATUS "${count} examples compile")
