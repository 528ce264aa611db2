#!/usr/bin/env bash
# Plays the SetDIBitsToDevice cases with the reference GDI and prints the table rows, what
# each call drew and returned, for tests/platform/gdi_dib_transfer.cpp.
#   tools/reference-gdi/dib_table.sh           the rows of the table kept in that test
#   tools/reference-gdi/dib_table.sh --check   fail, showing the difference, when the kept
#                                              rows are not what the reference GDI does
#   tools/reference-gdi/dib_table.sh - < CASES any other cases, one "KIND X Y ..." a line
# Needs MinGW-w64 and Wine (scripts/install-deps.sh --dev); runs without a display.
set -euo pipefail
source "$(dirname "$0")/wine-tools.sh"
if reason=$(reference_missing); then
  echo "cannot play the cases: $reason" >&2
  exit 1
fi
reference_build_program dib_table
table="$reference_root/tests/platform/gdi_dib_transfer.cpp"
kept_rows() { grep -E '^ *\{"[ut84] ' "$table" | sed 's/^ *//'; }
# Wine's console ends lines with CR LF.
play() { reference_run "$reference_build/dib_table.exe" | tr -d '\r'; }
case "${1:-}" in
--check)
  diff <(kept_rows) <(kept_rows | play)
  echo "the $(kept_rows | wc -l) rows of the table are what the reference GDI does"
  ;;
"") kept_rows | play ;;
-) play ;;
*)
  echo "usage: $0 [--check | -]" >&2
  exit 2
  ;;
esac
