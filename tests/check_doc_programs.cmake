# Compiles every C block of the given Markdown files against zelvan.h, so that the guide and
# the README never show code that has gone stale. A block with a main function is a whole
# program; any other block becomes the body of a function that declares the window handles
# `w` and `other` and a flag `quit` for it. Run with -DCOMPILER=... -DINCLUDE=...
# -DDOCS=<file>,<file> -DOUT=<folder> -P.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
set(prelude "#include <stdio.h>\n#include <time.h>\n#include \"zelvan.h\"\n")
set(programs "")
set(fragments "${prelude}")
set(fragment_count 0)
string(REPLACE "," ";" docs_files "${DOCS}")
foreach(doc ${docs_files})
  file(READ ${doc} text)
  # Semicolons would split CMake lists, and brackets confuse them: hide both while matching.
  string(REPLACE ";" "@SEMICOLON@" text "${text}")
  string(REPLACE "[" "@OPEN@" text "${text}")
  string(REPLACE "]" "@CLOSE@" text "${text}")
  string(REGEX MATCHALL "```c\n[^`]*```" blocks "${text}")
  foreach(block ${blocks})
    string(REGEX REPLACE "^```c\n(.*)```$" "\\1" code "${block}")
    string(REPLACE "@SEMICOLON@" ";" code "${code}")
    string(REPLACE "@OPEN@" "[" code "${code}")
    string(REPLACE "@CLOSE@" "]" code "${code}")
    if(code MATCHES "int main\\(")
      list(LENGTH programs index)
      set(program ${OUT}/program_${index}.c)
      file(WRITE ${program} "${code}")
      list(APPEND programs ${program})
    else()
      math(EXPR fragment_count "${fragment_count} + 1")
      string(APPEND fragments "void fragment_${fragment_count}(void) {\n"
                              "    int w = 1, other = 2, quit = 0;\n"
                              "    (void)w; (void)other; (void)quit;\n    {\n${code}    }\n}\n")
    endif()
  endforeach()
endforeach()
file(WRITE ${OUT}/fragments.c "${fragments}")

foreach(source ${programs} ${OUT}/fragments.c)
  execute_process(COMMAND ${COMPILER} -std=gnu11 -Wall -Werror -Wno-unused-variable
                          -Wno-unused-but-set-variable -fsyntax-only -I${INCLUDE} ${source}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "C code in ${DOCS} does not compile (${source}):\n${out}")
  endif()
endforeach()
list(LENGTH programs program_count)
message(STATUS "${program_count} programs and ${fragment_count} fragments compile")
if(program_count EQUAL 0 OR fragment_count EQUAL 0)
  message(FATAL_ERROR "expected both whole programs and fragments in ${DOCS}")
endif()
