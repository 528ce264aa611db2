#!/usr/bin/env bash
# The reference GDI's own benchmark: prints one "LABEL: TIME UNIT" line per figure, which
# bench/run.sh sets beside the library's (zelvan_bench --gdi_reference=THIS_SCRIPT).
#   tools/reference-gdi/bench.sh           build if needed, then run
#   tools/reference-gdi/bench.sh --build   only build, and set the Wine prefix up
# Exits 3, printing why, when MinGW-w64 or Wine is missing.
set -euo pipefail
source "$(dirname "$0")/wine-tools.sh"
if reason=$(reference_missing); then
  echo "$reason"
  exit 3
fi
reference_build_program bench
if [ "${1:-}" = --build ]; then
  reference_run cmd /c exit 0 >/dev/null
  exit 0
fi
reference_run "$reference_build/bench.exe"
