// Shared pieces of the benchmark program: library windows on the headless screen, an
// SDL2_gfx software canvas for the baselines, and the table of ratios printed at the end.
#ifndef ZELVAN_BENCH_SUPPORT_H
#define ZELVAN_BENCH_SUPPORT_H

#include "zelvan.h"

#include <SDL.h>

#include <stdint.h>

// A library window of the given client size, created on first use and kept for the whole
// run; the same `title` gives back the same window. Fails the run when it cannot be made.
int bench_window(const char *title, int width, int height);

// The platform window behind a title, for reading back what the headless screen shows.
void *bench_platform_window(const char *title);

// A 32-bit ARGB software surface with an SDL renderer drawing into it: what a user of
// SDL2_gfx draws into when no GPU is involved.
struct sdl_canvas {
    SDL_Surface *surface;
    SDL_Renderer *renderer;
};
sdl_canvas bench_sdl_canvas(int width, int height);
void bench_sdl_release(sdl_canvas canvas);

// One line of the summary: how our benchmark compares with a baseline measured in the same
// run. `speed` is baseline time / our time, so above 1 means we are faster.
enum class ratio_clock { cpu, real };
struct bench_ratio {
    const char *what;
    const char *ours;     // benchmark name
    const char *baseline; // benchmark name
    double minimum_speed; // target, 0 when there is none
    ratio_clock clock;
};

// One line of the summary that reads a counter of one benchmark against a bound.
struct bench_bound {
    const char *what;
    const char *benchmark;
    const char *counter;
    double bound;
    bool bound_is_minimum; // true: the counter must reach the bound; false: stay below it
};

// Rows a benchmark file adds to the summary; a row whose benchmarks did not run (filtered
// out, or not built yet) prints as "not measured".
struct bench_row_registrar {
    explicit bench_row_registrar(const bench_ratio &row);
    explicit bench_row_registrar(const bench_bound &row);
};

// Pseudo-random but repeatable numbers for coordinates and delays.
inline uint32_t bench_next_random(uint32_t *state) {
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

#endif
