// Window images saved to and loaded from BMP files, against raw stdio writes and reads of the
// same number of bytes in the same temporary folder; and a 256 x 256 bitmap pasted into a
// window against memcpy of the pixels it writes.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

constexpr int side = 2048;
constexpr int paste_side = 256;

// The folder the files go in: TMPDIR when set, else memory-backed /dev/shm, so that the
// figures are the library's own work and not the disk's (on a shared disk they vary 3x).
std::string temp_base() {
    const char *base = getenv("TMPDIR");
    if (base && *base) return base;
    return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
}

// A folder of its own, removed with its files when the program ends.
struct temp_folder {
    std::string path;
    temp_folder() {
        std::string pattern = temp_base() + "/zelvan-bench-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data())) path = name.data();
    }
    ~temp_folder() {
        if (path.empty()) return;
        for (const char *file : {"/window.bmp", "/raw.bin"}) unlink((path + file).c_str());
        rmdir(path.c_str());
    }
    std::string file(const char *name) const { return path + "/" + name; }
};

const temp_folder &bench_folder() {
    static temp_folder folder;
    return folder;
}

// The 2048 x 2048 window with a picture in it, so the file holds more than one colour.
int image_window() {
    int window = bench_window("bench files", side, side);
    static bool painted = false;
    if (!painted) {
        for (int band = 0; band < 16; ++band) {
            ZVSetFillColour(window, 0x102030u * static_cast<unsigned>(band + 1));
            ZVFillRectangle(window, 0, band * side / 16, side + 1, (band + 1) * side / 16 + 1);
        }
        ZVFillCircle(window, side / 2, side / 2, side / 3);
        ZVCopyDrawBufferToView(window);
        painted = true;
    }
    return window;
}

// Bytes of the BMP file the window saves as: 24-bit rows, 14 + 40 bytes of headers.
int64_t image_file_bytes() {
    return 54 + int64_t{side} * side * 3;
}

void report(benchmark::State &state, int64_t bytes) {
    state.SetBytesProcessed(state.iterations() * bytes);
}

void save_image(benchmark::State &state) {
    int window = image_window();
    std::string name = bench_folder().file("window.bmp");
    for (auto _ : state)
        if (ZVSaveImage(window, name.c_str()) != ZV_OK) state.SkipWithError("ZVSaveImage failed");
    report(state, image_file_bytes());
}
BENCHMARK(save_image)->Name("files/ZVSaveImage_2048x2048")->UseRealTime();

void load_image(benchmark::State &state) {
    int window = image_window();
    std::string name = bench_folder().file("window.bmp");
    if (ZVSaveImage(window, name.c_str()) != ZV_OK) state.SkipWithError("ZVSaveImage failed");
    for (auto _ : state)
        if (ZVLoadImage(window, name.c_str()) != ZV_OK) state.SkipWithError("ZVLoadImage failed");
    report(state, image_file_bytes());
}
BENCHMARK(load_image)->Name("files/ZVLoadImage_2048x2048")->UseRealTime();

// The floor: the same bytes through stdio, opened, written and closed each time like a save.
void raw_write(benchmark::State &state) {
    std::vector<unsigned char> bytes(static_cast<size_t>(image_file_bytes()), 0x5A);
    std::string name = bench_folder().file("raw.bin");
    for (auto _ : state) {
        FILE *file = fopen(name.c_str(), "wb");
        if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            state.SkipWithError("fwrite failed");
        if (file) fclose(file);
    }
    report(state, image_file_bytes());
}
BENCHMARK(raw_write)->Name("files/fwrite_2048x2048")->UseRealTime();

void raw_read(benchmark::State &state) {
    std::vector<unsigned char> bytes(static_cast<size_t>(image_file_bytes()), 0x5A);
    std::string name = bench_folder().file("raw.bin");
    FILE *made = fopen(name.c_str(), "wb");
    if (made) {
        fwrite(bytes.data(), 1, bytes.size(), made);
        fclose(made);
    }
    for (auto _ : state) {
        FILE *file = fopen(name.c_str(), "rb");
        if (!file || fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            state.SkipWithError("fread failed");
        if (file) fclose(file);
        benchmark::ClobberMemory();
    }
    report(state, image_file_bytes());
}
BENCHMARK(raw_read)->Name("files/fread_2048x2048")->UseRealTime();

// A 24-bit bitmap copied out of a window, pasted into the draw buffer of another.
void paste_bitmap(benchmark::State &state) {
    int source = bench_window("bench paste source", paste_side, paste_side);
    int target = bench_window("bench paste target", 1024, 768);
    static int bitmap = 0;
    if (!bitmap) bitmap = ZVCopyBitmap(source, 0, 0, paste_side, paste_side);
    if (!bitmap) state.SkipWithError("ZVCopyBitmap failed");
    for (auto _ : state) benchmark::DoNotOptimize(ZVPasteBitmap(target, bitmap, 100, 100));
    report(state, int64_t{paste_side} * paste_side * 4);
}
BENCHMARK(paste_bitmap)->Name("blit/ZVPasteBitmap_256x256");

void paste_memcpy(benchmark::State &state) {
    std::vector<uint32_t> source(size_t{paste_side} * paste_side, 0x123456), target(source.size());
    for (auto _ : state) {
        memcpy(target.data(), source.data(), source.size() * 4);
        benchmark::ClobberMemory();
    }
    report(state, int64_t{paste_side} * paste_side * 4);
}
BENCHMARK(paste_memcpy)->Name("blit/memcpy_256x256");

} // namespace
