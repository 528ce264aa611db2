# Fails when a function declared in zelvan.h has no entry in the API reference, or when the
# signature shown there differs from the header's. Run with -DHEADER=... -DDOCS=... -P.
file(READ ${HEADER} header)
file(READ ${DOCS} docs)
# One declaration per match, even if clang-format ever wraps one over several lines.
string(REGEX REPLACE "[ \t\r\n]+" " " header "${header}")
# (Matched without the closing semicolon, which CMake would take as a list separator.)
string(REGEX MATCHALL "ZVEXPORT [A-Za-z_ ]+ \\*?ZVAPI [A-Za-z_0-9]+\\([^)]*\\)" declarations
             "${header}")
set(count 0)
set(problems "")
foreach(declaration ${declarations})
  # "ZVEXPORT const char *ZVAPI ZVGetTitle(int window)" is shown as
  # "const char *ZVGetTitle(int window)".
  string(REGEX REPLACE "^ZVEXPORT (.*)ZVAPI (.*)$" "\\1\\2" shown "${declaration}")
  string(REGEX MATCH "[A-Za-z_0-9]+\\(" name "${shown}")
  string(REPLACE "(" "" name "${name}")
  math(EXPR count "${count} + 1")
  string(FIND "${docs}" "\n### ${name}\n" heading_at)
  string(FIND "${docs}" "${shown}" signature_at)
  if(heading_at EQUAL -1)
    string(APPEND problems "  no section '### ${name}'\n")
  elseif(signature_at EQUAL -1)
    string(APPEND problems "  ${name}: signature '${shown}' not shown\n")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no declarations found in ${HEADER}")
endif()
if(problems)
  message(FATAL_ERROR "${DOCS} does not match ${HEADER}:\n${problems}")
endif()
message(STATUS "${count} functions, each with its section and signature in the reference")
