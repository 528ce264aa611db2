# Sourced by bench/present.sh and bench/present_wayland.sh: builds the library (Release, in
# BUILD_DIR, else build-bench) and the two programs that present frames (present_zelvan,
# present_sdl) into the temporary folder $out, which goes when the script ends. Sets root,
# build, frames (the script's first argument, default 220), out and src.
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
frames=${1:-220}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELVAN_TESTS=OFF \
  -DZELVAN_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j2 --target zelvan >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
src=$root/bench/present
cc -O2 -o "$out/zelvan" "$src/present_zelvan.c" -I"$root/include" -L"$build" -lzelvan \
  -Wl,-rpath,"$build"
cc -O2 -o "$out/sdl" "$src/present_sdl.c" $(pkg-config --cflags --libs sdl2)
