// Library windows and SDL canvases shared by the benchmark files.
#include "bench/bench_support.h"

#include "platform/posix/display/headless/headless_test.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_windows_lock;
std::map<std::string, int> g_windows;

[[noreturn]] void bench_fail(const char *what, const char *detail) {
    fprintf(stderr, "zelvan_bench: %s: %s\n", what, detail);
    exit(1);
}

} // namespace

int bench_window(const char *title, int width, int height) {
    std::lock_guard<std::mutex> hold(g_windows_lock);
    auto found = g_windows.find(title);
    if (found != g_windows.end()) return found->second;
    // Windows are staggered so that none covers another completely on the virtual screen.
    int offset = static_cast<int>(g_windows.size()) * 24;
    int window = ZVCreateWindow(offset, offset, width, height, title);
    if (window <= 0) bench_fail("cannot create a window", ZVGetErrorString(ZVGetLastError()));
    g_windows[title] = window;
    return window;
}

void *bench_platform_window(const char *title) {
    return headless_test_find_window(title);
}

sdl_canvas bench_sdl_canvas(int width, int height) {
    sdl_canvas canvas{};
    canvas.surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!canvas.surface) bench_fail("SDL surface", SDL_GetError());
    canvas.renderer = SDL_CreateSoftwareRenderer(canvas.surface);
    if (!canvas.renderer) bench_fail("SDL software renderer", SDL_GetError());
    SDL_FillRect(canvas.surface, nullptr, 0xFFFFFFFFu);
    return canvas;
}

void bench_sdl_release(sdl_canvas canvas) {
    SDL_DestroyRenderer(canvas.renderer);
    SDL_FreeSurface(canvas.surface);
}
