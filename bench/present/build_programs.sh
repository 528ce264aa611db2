# Sourced by bench/present.sh and bench/present_wayland.sh: builds the library and the two
# programs that present frames (present_zelvan, present_sdl) into the temporary folder $out.
# Sets root, build, frames (the script's first argument, default 220), out and src.
source "$(dirname "$0")/library_build.sh"
frames=${1:-220}
src=$root/bench/present
cc -O2 -o "$out/zelvan" "$src/present_zelvan.c" -I"$root/include" -L"$build" -lzelvan \
  -Wl,-rpath,"$build"
cc -O2 -o "$out/sdl" "$src/present_sdl.c" $(pkg-config --cflags --libs sdl2)
