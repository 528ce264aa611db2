// Summary rows for benchmarks that live in files of their own: text (text_bench.cpp) and
// image files. Until such a file is built, its rows print as "not measured". A benchmark
// file that wants rows of its own can also declare them next to its benchmarks.
#include "bench/bench_support.h"

namespace {

// Text: 20 characters at 12 points, against FreeType drawing the same string from a cache.
bench_row_registrar text_vs_freetype(bench_ratio{
    "ZVTextOut vs cached FreeType", "text/ZVTextOut_20_chars", "text/freetype_cached_20_chars", 0,
    ratio_clock::cpu});
bench_row_registrar text_rate(bench_bound{"20-char strings a second", "text/ZVTextOut_20_chars",
                                          "strings_per_second", 100000, true});

// Files: a 2048 x 2048 picture saved and loaded, against raw writes and reads of its bytes.
bench_row_registrar save_vs_fwrite(bench_ratio{"ZVSaveImage vs fwrite",
                                               "files/ZVSaveImage_2048x2048",
                                               "files/fwrite_2048x2048", 0.5, ratio_clock::real});
bench_row_registrar load_vs_fread(bench_ratio{"ZVLoadImage vs fread", "files/ZVLoadImage_2048x2048",
                                              "files/fread_2048x2048", 0.5, ratio_clock::real});

} // namespace
