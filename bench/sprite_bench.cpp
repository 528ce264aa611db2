// Sprites and PNG files: a 256 x 256 RGBA sprite blended onto a 512 x 512 window against SDL2's
// software blit with SDL_BLENDMODE_BLEND (ARGB8888 onto ARGB8888), and a 1024 x 768 RGB PNG
// loaded against libpng's simplified reader of the same file.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int sprite_side = 256, target_side = 512;
constexpr int photo_width = 1024, photo_height = 768;

// A ball with a soft rim and a half-transparent shadow: clear, opaque and blended pixels in the
// proportions a game sprite has them. Straight alpha, 0xAARRGGBB.
std::vector<uint32_t> sprite_pixels() {
    std::vector<uint32_t> pixels(size_t{sprite_side} * sprite_side);
    for (int y = 0; y < sprite_side; ++y)
        for (int x = 0; x < sprite_side; ++x) {
            double r = std::hypot(x - 110.0, y - 110.0), shadow = std::hypot(x - 150.0, y - 160.0);
            double a = r < 96 ? 1 : r < 110 ? (110 - r) / 14 : shadow < 90 ? 0.4 : 0;
            uint32_t alpha = static_cast<uint32_t>(a * 255 + 0.5);
            uint32_t red = static_cast<uint32_t>(x), green = static_cast<uint32_t>(y);
            pixels[static_cast<size_t>(y) * sprite_side + x] =
                alpha << 24 | red << 16 | green << 8 | static_cast<uint32_t>((x ^ y) & 255);
        }
    return pixels;
}

// A photograph-like picture: smooth gradients with fine noise, as a camera gives them.
std::vector<uint8_t> photo_pixels() {
    std::vector<uint8_t> rgb(size_t{photo_width} * photo_height * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < photo_height; ++y)
        for (int x = 0; x < photo_width; ++x) {
            uint8_t *p = &rgb[(static_cast<size_t>(y) * photo_width + x) * 3];
            int n = static_cast<int>(bench_next_random(&noise) % 9) - 4;
            p[0] = static_cast<uint8_t>(std::clamp(x / 4 + n, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(y / 3 + n, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(128 + (x - y) / 8 + n, 0, 255));
        }
    return rgb;
}

std::string bench_file(const char *name) {
    const char *base = getenv("TMPDIR");
    std::string folder = base && *base ? base : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return folder + "/zelvan-bench-" + std::to_string(getpid()) + "-" + name;
}

// Writes the file once per run, removed when the program ends.
struct bench_png {
    std::string path;
    bench_png(const char *name, const void *pixels, int width, int height, uint32_t format)
        : path(bench_file(name)) {
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(width);
        image.height = static_cast<png_uint_32>(height);
        image.format = format;
        if (!png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr)) path.clear();
    }
    ~bench_png() {
        if (!path.empty()) unlink(path.c_str());
    }
};

const bench_png &sprite_file() {
    static std::vector<uint32_t> pixels = sprite_pixels();
    static bench_png file("sprite.png", pixels.data(), sprite_side, sprite_side, PNG_FORMAT_BGRA);
    return file;
}

const bench_png &photo_file() {
    static std::vector<uint8_t> pixels = photo_pixels();
    static bench_png file("photo.png", pixels.data(), photo_width, photo_height, PNG_FORMAT_RGB);
    return file;
}

void report(benchmark::State &state, int64_t pixels) {
    state.SetItemsProcessed(state.iterations() * pixels);
}

void paste_alpha(benchmark::State &state) {
    int target = bench_window("bench sprite target", target_side, target_side);
    static int sprite = 0;
    if (!sprite) sprite = ZVLoadBitmap(sprite_file().path.c_str());
    if (!sprite) state.SkipWithError("ZVLoadBitmap of the sprite failed");
    for (auto _ : state) benchmark::DoNotOptimize(ZVPasteBitmapAlpha(target, sprite, 128, 128));
    report(state, int64_t{sprite_side} * sprite_side);
}
BENCHMARK(paste_alpha)->Name("sprite/ZVPasteBitmapAlpha_256x256");

void sdl_blend(benchmark::State &state) {
    std::vector<uint32_t> pixels = sprite_pixels();
    SDL_Surface *sprite =
        SDL_CreateRGBSurfaceWithFormat(0, sprite_side, sprite_side, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormat(0, target_side, target_side, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!sprite || !target) state.SkipWithError("SDL surfaces failed");
    for (int y = 0; y < sprite_side && sprite; ++y)
        memcpy(static_cast<uint8_t *>(sprite->pixels) + static_cast<size_t>(y) * sprite->pitch,
               &pixels[static_cast<size_t>(y) * sprite_side], sprite_side * 4);
    if (target) SDL_FillRect(target, nullptr, 0xFF336699u);
    if (sprite) SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_BLEND);
    for (auto _ : state) {
        SDL_Rect at = {128, 128, sprite_side, sprite_side};
        benchmark::DoNotOptimize(SDL_BlitSurface(sprite, nullptr, target, &at));
    }
    SDL_FreeSurface(sprite);
    SDL_FreeSurface(target);
    report(state, int64_t{sprite_side} * sprite_side);
}
BENCHMARK(sdl_blend)->Name("sprite/SDL_BlitSurface_blend_256x256");

void load_png(benchmark::State &state) {
    const std::string &path = photo_file().path;
    for (auto _ : state) {
        int bitmap = ZVLoadBitmap(path.c_str());
        if (!bitmap) state.SkipWithError("ZVLoadBitmap failed");
        ZVDiscardBitmap(bitmap);
    }
    report(state, int64_t{photo_width} * photo_height);
}
BENCHMARK(load_png)->Name("png/ZVLoadBitmap_1024x768_RGB")->UseRealTime();

void libpng_simplified(benchmark::State &state) {
    const std::string &path = photo_file().path;
    std::vector<uint8_t> rgb(size_t{photo_width} * photo_height * 3);
    for (auto _ : state) {
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) {
            state.SkipWithError("png_image_begin_read_from_file failed");
            break;
        }
        image.format = PNG_FORMAT_RGB;
        if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
            state.SkipWithError("png_image_finish_read failed");
        benchmark::ClobberMemory();
    }
    report(state, int64_t{photo_width} * photo_height);
}
BENCHMARK(libpng_simplified)->Name("png/libpng_simplified_1024x768_RGB")->UseRealTime();

bench_row_registrar blend_vs_sdl(bench_ratio{
    "ZVPasteBitmapAlpha vs SDL2 blend blit", "sprite/ZVPasteBitmapAlpha_256x256",
    "sprite/SDL_BlitSurface_blend_256x256", 1.0, ratio_clock::cpu});
// At most 1.2x libpng's time is at least 1 / 1.2 of its speed.
bench_row_registrar load_vs_libpng(bench_ratio{
    "PNG load vs libpng simplified", "png/ZVLoadBitmap_1024x768_RGB",
    "png/libpng_simplified_1024x768_RGB", 1 / 1.2, ratio_clock::real});

} // namespace
