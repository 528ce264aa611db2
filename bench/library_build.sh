# Sourced by the benchmark scripts that run programs of their own: builds the library
# (Release, in BUILD_DIR, else build-bench) and makes the temporary folder $out, which goes
# when the script ends. Sets root, build and out.
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELVAN_TESTS=OFF \
  -DZELVAN_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j2 --target zelvan >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
