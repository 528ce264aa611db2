#!/usr/bin/env bash
# Draws every golden scene (tests/golden/*.scene) with the reference GDI and writes its
# picture beside it (NAME.bmp).
#   tools/reference-gdi/regenerate.sh           rewrite the pictures
#   tools/reference-gdi/regenerate.sh --check   draw into a scratch folder and fail, naming
#                                               them, when pictures differ from the ones kept
# Needs MinGW-w64 and Wine (scripts/install-deps.sh --dev); runs without a display.
set -euo pipefail
source "$(dirname "$0")/wine-tools.sh"
check=0
case "${1:-}" in
--check) check=1 ;;
"") ;;
*)
  echo "usage: $0 [--check]" >&2
  exit 2
  ;;
esac
if reason=$(reference_missing); then
  echo "cannot draw the golden pictures: $reason" >&2
  exit 1
fi
reference_build_program render
golden="$reference_root/tests/golden"
into="$golden"
if ((check)); then
  into=$(mktemp -d)
  trap 'rm -rf "$into"' EXIT
fi
# Relative names from inside the folder: Wine finds them through the current directory.
cd "$golden"
args=()
for scene in *.scene; do args+=("$scene" "$into/${scene%.scene}.bmp"); done
reference_run "$reference_build/render.exe" "${args[@]}"
if ((check)); then
  differing=0
  for scene in *.scene; do
    picture="${scene%.scene}.bmp"
    if ! cmp -s "$picture" "$into/$picture"; then
      echo "tests/golden/$picture is not what the reference GDI draws for $scene" >&2
      differing=1
    fi
  done
  ((differing)) && exit 1
  echo "the $((${#args[@]} / 2)) golden pictures are what the reference GDI draws"
else
  echo "drew $((${#args[@]} / 2)) golden pictures into tests/golden/"
fi
