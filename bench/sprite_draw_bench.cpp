// Sprites drawn scaled and turned, and frames of a sprite sheet, with ZVDrawBitmap against
// SDL2's software renderer (SDL_CreateSoftwareRenderer on an ARGB8888 surface) drawing the same
// pictures with SDL_RenderCopyEx and SDL_BLENDMODE_BLEND, sampled at the nearest pixel and
// bilinearly (ZV_SMOOTH against SDL_ScaleModeLinear). One iteration draws the whole batch.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int target_width = 800, target_height = 600;
constexpr int sprite_side = 64, sheet_side = 512;
constexpr int turned_batch = 256, frame_batch = 1000;

// A ball with a soft rim and a see-through shadow, 0xAARRGGBB straight alpha; a sheet holds
// 64 of them, each frame shaded from another side.
uint32_t ball_pixel(int x, int y, int frame) {
    double r = std::hypot(x - 30.0, y - 30.0), shadow = std::hypot(x - 38.0, y - 40.0);
    double a = r < 26 ? 1 : r < 29 ? (29 - r) / 3 : shadow < 24 ? 0.35 : 0;
    double light = 1 - std::hypot(x - 22.0 - frame % 8, y - 20.0 - frame / 8) / 50;
    uint32_t alpha = static_cast<uint32_t>(a * 255 + 0.5);
    uint32_t red = static_cast<uint32_t>(60 + 190 * std::fmax(light, 0)), green = 90 + frame;
    return alpha << 24 | red << 16 | green << 8 | static_cast<uint32_t>((x * 3 + y) & 255);
}

std::vector<uint32_t> sheet_pixels(int side) {
    std::vector<uint32_t> pixels(static_cast<size_t>(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels[static_cast<size_t>(y) * side + x] = ball_pixel(
                x % sprite_side, y % sprite_side, (y / sprite_side) * 8 + x / sprite_side);
    return pixels;
}

// The library's bitmap of the same pixels, given as R, G, B, A bytes.
int make_bitmap(const std::vector<uint32_t> &argb, int side) {
    std::vector<unsigned char> rgba;
    rgba.reserve(argb.size() * 4);
    for (uint32_t p : argb)
        for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<unsigned char>(p >> shift));
    return ZVCreateBitmap(side, side, rgba.data(), 0);
}

SDL_Texture *make_texture(SDL_Renderer *renderer, const std::vector<uint32_t> &argb, int side,
                          SDL_ScaleMode mode) {
    SDL_Surface *surface =
        SDL_CreateRGBSurfaceWithFormat(0, side, side, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return nullptr;
    for (int y = 0; y < side; ++y)
        memcpy(static_cast<uint8_t *>(surface->pixels) + static_cast<size_t>(y) * surface->pitch,
               &argb[static_cast<size_t>(y) * side], static_cast<size_t>(side) * 4);
    SDL_Texture *texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    if (!texture) return nullptr;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, mode);
    return texture;
}

// The places of one batch, the same for both, spread over the target and partly off it, with
// the frame each draws.
struct placement {
    int x, y, frame;
};
std::vector<placement> placements(int count) {
    std::vector<placement> out;
    uint32_t seed = 46;
    for (int i = 0; i < count; ++i) {
        int x = static_cast<int>(bench_next_random(&seed) % (target_width + 64)) - 96;
        int y = static_cast<int>(bench_next_random(&seed) % (target_height + 64)) - 96;
        out.push_back(placement{x, y, i % 64});
    }
    return out;
}

// One batch: `draws` frames of 64 x 64 from a sheet `sheet` pixels a side (the one frame of a
// sheet of 64), drawn `scale` times their size and turned `angle` degrees counter-clockwise.
struct workload {
    int sheet, draws, scale;
    double angle;
};
const workload turned = {sprite_side, turned_batch, 2, 30.0};
const workload frames = {sheet_side, frame_batch, 1, 0.0};

// Where a placement's frame lies on the sheet.
SDL_Rect frame_of(const workload &work, const placement &p) {
    int per_row = work.sheet / sprite_side, frame = p.frame % (per_row * per_row);
    return SDL_Rect{frame % per_row * sprite_side, frame / per_row * sprite_side, sprite_side,
                    sprite_side};
}

void ours(benchmark::State &state, workload work, int flags) {
    int window = bench_window("bench sprite draws", target_width, target_height);
    int bitmap = make_bitmap(sheet_pixels(work.sheet), work.sheet);
    if (!bitmap) state.SkipWithError("ZVCreateBitmap failed");
    const std::vector<placement> at = placements(work.draws);
    int side = work.scale * sprite_side;
    // The bitmap's premultiplied copy and the window's staging area are made once, untimed.
    ZVDrawBitmap(window, bitmap, 0, 0, sprite_side, sprite_side, 0, 0, side, side, work.angle, 0);
    for (auto _ : state)
        for (const placement &p : at) {
            SDL_Rect from = frame_of(work, p);
            ZVDrawBitmap(window, bitmap, from.x, from.y, from.w, from.h, p.x, p.y, side, side,
                         work.angle, flags);
        }
    ZVDiscardBitmap(bitmap);
    state.SetItemsProcessed(state.iterations() * work.draws);
}
BENCHMARK_CAPTURE(ours, turned, turned, 0)->Name("sprite_draw/ZVDrawBitmap_64_x2_30deg_256");
BENCHMARK_CAPTURE(ours, turned_smooth, turned, ZV_SMOOTH)
    ->Name("sprite_draw/ZVDrawBitmap_64_x2_30deg_256_smooth");
BENCHMARK_CAPTURE(ours, frames, frames, 0)->Name("sprite_draw/ZVDrawBitmap_sheet_frame_64_1000");

void sdl(benchmark::State &state, workload work, SDL_ScaleMode mode) {
    sdl_canvas canvas = bench_sdl_canvas(target_width, target_height);
    SDL_Texture *texture =
        make_texture(canvas.renderer, sheet_pixels(work.sheet), work.sheet, mode);
    if (!texture) state.SkipWithError("SDL texture failed");
    const std::vector<placement> at = placements(work.draws);
    int side = work.scale * sprite_side;
    for (auto _ : state) {
        for (const placement &p : at) {
            SDL_Rect from = frame_of(work, p), to = {p.x, p.y, side, side};
            // SDL turns clockwise: the opposite angle is the same turn.
            SDL_RenderCopyEx(canvas.renderer, texture, &from, &to, -work.angle, nullptr,
                             SDL_FLIP_NONE);
        }
        SDL_RenderFlush(canvas.renderer); // the batch is drawn, not only queued
    }
    SDL_DestroyTexture(texture);
    bench_sdl_release(canvas);
    state.SetItemsProcessed(state.iterations() * work.draws);
}
BENCHMARK_CAPTURE(sdl, turned, turned, SDL_ScaleModeNearest)
    ->Name("sprite_draw/SDL_RenderCopyEx_64_x2_30deg_256");
BENCHMARK_CAPTURE(sdl, turned_linear, turned, SDL_ScaleModeLinear)
    ->Name("sprite_draw/SDL_RenderCopyEx_64_x2_30deg_256_linear");
BENCHMARK_CAPTURE(sdl, frames, frames, SDL_ScaleModeNearest)
    ->Name("sprite_draw/SDL_RenderCopyEx_sheet_frame_64_1000");

bench_row_registrar turned_vs_sdl(bench_ratio{
    "ZVDrawBitmap 64 x2 30deg vs SDL_RenderCopyEx", "sprite_draw/ZVDrawBitmap_64_x2_30deg_256",
    "sprite_draw/SDL_RenderCopyEx_64_x2_30deg_256", 1.0, ratio_clock::cpu});
// Within 1.5x of SDL's time is at least 1 / 1.5 of its speed.
bench_row_registrar smooth_vs_sdl(bench_ratio{
    "ZVDrawBitmap ZV_SMOOTH vs SDL linear", "sprite_draw/ZVDrawBitmap_64_x2_30deg_256_smooth",
    "sprite_draw/SDL_RenderCopyEx_64_x2_30deg_256_linear", 1 / 1.5, ratio_clock::cpu});
bench_row_registrar frames_vs_sdl(bench_ratio{
    "ZVDrawBitmap sheet frame vs SDL_RenderCopyEx", "sprite_draw/ZVDrawBitmap_sheet_frame_64_1000",
    "sprite_draw/SDL_RenderCopyEx_sheet_frame_64_1000", 1.0, ratio_clock::cpu});

} // namespace
