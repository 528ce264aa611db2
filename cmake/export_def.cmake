# Writes OUT, the module-definition file Zelvan.dll is linked with: the exports of zelvan.def
# (DEF) that the object files (OBJECTS, separated by '|') define, each under the symbol name
# the compiler gave it (on 32-bit Windows with its __stdcall decoration, ZVMove@12).
# A listed function no object defines is left out with a warning, so the DLL still links
# while a part of the library is unwritten; the export test reports it as missing.
string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND ${NM} --defined-only ${objects} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed on the library objects")
endif()
file(STRINGS ${DEF} def_lines)
set(out "")
set(missing "")
foreach(line ${def_lines})
  if(line MATCHES "^[ \t]+(ZV[A-Za-z0-9_]+)[ \t]*$")
    set(name ${CMAKE_MATCH_1})
    if(symbols MATCHES " T _?(${name}(@[0-9]+)?)\n")
      string(APPEND out "    ${CMAKE_MATCH_1}\n")
    else()
      list(APPEND missing ${name})
    endif()
  else()
    string(APPEND out "${line}\n")
  endif()
endforeach()
if(missing)
  list(JOIN missing " " missing)
  message(WARNING "zelvan.def lists functions the library does not define yet: ${missing}")
endif()
file(WRITE ${OUT}.new "${out}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
