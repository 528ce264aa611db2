// The stress mix's bitmaps, files, palettes, clipboard and input, and the shared pools.
#include "../api/headless_helpers.h"
#include "stress_operations.h"

#include <algorithm>

namespace {

const long long OK = ZV_OK, ERR = ZV_ERROR, BAD_WINDOW = ZV_ERR_BAD_WINDOW,
                BAD_BITMAP = ZV_ERR_BAD_BITMAP;
const long long NO_MEMORY = ZV_ERR_NO_MEMORY, FILE_OPEN = ZV_ERR_FILE_OPEN,
                FILE_WRITE = ZV_ERR_FILE_WRITE;

// Every reason a BMP or RIFF reader may give for a file it cannot take.
std::initializer_list<long long> read_failures() {
    static const std::initializer_list<long long> codes = {
        ZV_ERR_FILE_OPEN, ZV_ERR_FILE_READ, ZV_ERR_BMP_CORRUPT,  ZV_ERR_BMP_SIZE_MISMATCH,
        ZV_ERR_16BIT,     ZV_ERR_32BIT,     ZV_ERR_BMP_BITCOUNT, ZV_ERR_NO_MEMORY};
    return codes;
}

void expect_read_result(const char *call, long long result, bool window_call) {
    for (long long code : read_failures())
        if (result == code) return;
    expect_one_of(call, result, {OK, window_call ? BAD_WINDOW : OK});
}

void load_or_copy(worker &w, int window) {
    stress_shared &s = *w.shared;
    const std::string *files[] = {&s.bmp_8bit, &s.bmp_24bit, &s.bmp_4bit, &s.corrupt, &s.missing};
    int bitmap;
    if (w.number(0, 1) == 0) {
        w.doing("ZVLoadBitmap");
        bitmap = ZVLoadBitmap(files[w.number(0, 4)]->c_str());
    } else {
        w.doing("ZVCopyBitmap");
        bitmap = ZVCopyBitmap(window, w.number(-2, 40), w.number(-2, 40), w.number(-2, 50),
                              w.number(-2, 50));
    }
    expect_range_or("ZVLoadBitmap/ZVCopyBitmap", bitmap, 0, 0x7FFFFFFF, {});
    if (bitmap > 0) s.bitmaps.add(bitmap);
}

} // namespace

// Bitmaps made from bytes, read back, keyed, and drawn scaled and turned.
void sprites(worker &w, int window, int bitmap) {
    switch (w.number(0, 3)) {
    case 0: {
        unsigned char rgba[6 * 5 * 4];
        for (unsigned char &byte : rgba) byte = static_cast<unsigned char>(w.random());
        w.doing("ZVCreateBitmap");
        int made = ZVCreateBitmap(w.number(0, 6), 5, w.number(0, 1) ? rgba : nullptr, 0);
        expect_range_or("ZVCreateBitmap", made, 0, 0x7FFFFFFF, {});
        if (made > 0) w.shared->bitmaps.add(made);
        break;
    }
    case 1: {
        // Big enough for any bitmap the mix makes or copies (at most 90 x 70).
        std::vector<unsigned char> rgba(90 * 70 * 4);
        w.doing("ZVGetBitmapPixels");
        expect_one_of("ZVGetBitmapPixels", ZVGetBitmapPixels(bitmap, rgba.data(), 90 * 4),
                      {OK, BAD_BITMAP, ZV_ERR_NO_MEMORY});
        break;
    }
    case 2:
        w.doing("ZVSetBitmapColourKey");
        expect_one_of("ZVSetBitmapColourKey",
                      ZVSetBitmapColourKey(bitmap, w.number(0, 2) ? ZV_NO_COLOUR_KEY : 0xFFFFFF),
                      {OK, BAD_BITMAP});
        break;
    default:
        w.doing("ZVDrawBitmap");
        expect_one_of("ZVDrawBitmap",
                      ZVDrawBitmap(window, bitmap, w.number(-5, 20), w.number(-5, 20),
                                   w.number(0, 40), w.number(0, 40), w.number(-30, 60),
                                   w.number(-30, 60), w.number(0, 90), w.number(0, 70),
                                   w.number(-360, 360) * 1.5, w.number(0, 7)),
                      {OK, BAD_WINDOW, BAD_BITMAP, ZV_ERR_NO_MEMORY});
    }
}

void stress_bitmaps(worker &w, int window) {
    int choice = w.number(0, 7);
    if (choice <= 1 || w.shared->bitmaps.size() == 0) return load_or_copy(w, window);
    if (choice == 2) {
        // Another worker may have taken the last bitmap since the size was read.
        int bitmap = w.shared->bitmaps.take(w.random);
        if (bitmap == 0) return load_or_copy(w, window);
        w.doing("ZVDiscardBitmap");
        expect_one_of("ZVDiscardBitmap", ZVDiscardBitmap(bitmap), {OK});
        return;
    }
    // Others may discard this bitmap meanwhile: a bad id is then a documented answer.
    int bitmap = w.shared->bitmaps.any(w.random);
    switch (choice) {
    case 3:
        w.doing("ZVPasteBitmap");
        expect_one_of("ZVPasteBitmap",
                      ZVPasteBitmap(window, bitmap, w.number(-30, 60), w.number(-30, 60)),
                      {OK, BAD_WINDOW, BAD_BITMAP});
        break;
    case 4:
        w.doing("ZVShowBitmap");
        expect_one_of("ZVShowBitmap", ZVShowBitmap(window, bitmap), {OK, BAD_WINDOW, BAD_BITMAP});
        break;
    case 5:
        sprites(w, window, bitmap);
        break;
    case 6:
        w.doing("ZVGetBitmapWidth");
        expect_range_or("ZVGetBitmapWidth", ZVGetBitmapWidth(bitmap), 1, 100000, {BAD_BITMAP});
        w.doing("ZVGetBitmapHeight");
        expect_range_or("ZVGetBitmapHeight", ZVGetBitmapHeight(bitmap), 1, 100000, {BAD_BITMAP});
        break;
    default:
        w.doing("ZVSaveBitmap");
        expect_one_of("ZVSaveBitmap", ZVSaveBitmap(bitmap, w.own_file("saved.bmp").c_str()),
                      {OK, BAD_BITMAP, FILE_OPEN, FILE_WRITE});
    }
}

void stress_files(worker &w, int window) {
    stress_shared &s = *w.shared;
    int bitmap = s.bitmaps.any(w.random);
    const long long capture[] = {ERR, NO_MEMORY, ZV_ERR_COPY_BITMAP};
    switch (w.number(0, 6)) {
    case 0:
        w.doing("ZVSaveImage");
        expect_one_of("ZVSaveImage", ZVSaveImage(window, w.own_file("image.bmp").c_str()),
                      {OK, BAD_WINDOW, FILE_OPEN, FILE_WRITE, capture[0], capture[1], capture[2]});
        break;
    case 1: {
        w.doing("ZVLoadImage");
        const std::string &file = w.number(0, 3) == 0 ? s.corrupt : s.bmp_24bit;
        expect_read_result("ZVLoadImage", ZVLoadImage(window, file.c_str()), true);
        break;
    }
    case 2: {
        w.doing("ZVLoadRIFFPalette");
        long long result =
            ZVLoadRIFFPalette(window, (w.number(0, 3) == 0 ? s.bmp_8bit : s.riff).c_str());
        expect_one_of("ZVLoadRIFFPalette", result,
                      {OK, BAD_WINDOW, FILE_OPEN, ZV_ERR_FILE_READ, ZV_ERR_NOT_RIFF,
                       ZV_ERR_BMP_SIZE_MISMATCH, ZV_ERR_NO_PAL_DATA, NO_MEMORY});
        break;
    }
    case 3:
        w.doing("ZVUseBitmapPalette");
        expect_one_of(
            "ZVUseBitmapPalette", ZVUseBitmapPalette(window, bitmap),
            {OK, BAD_WINDOW, BAD_BITMAP, ZV_ERR_NO_DIB_PALETTE, ZV_ERR_DIB_BITCOUNT, NO_MEMORY});
        break;
    case 4:
        w.doing("ZVSaveWindowPalette");
        expect_one_of("ZVSaveWindowPalette",
                      ZVSaveWindowPalette(window, w.own_file("window.pal").c_str()),
                      {OK, BAD_WINDOW, ZV_ERR_NO_DIB_PALETTE, ZV_ERR_DIB_BITCOUNT, NO_MEMORY,
                       FILE_OPEN, FILE_WRITE, capture[0], capture[2]});
        break;
    case 5:
        w.doing("ZVSaveBitmapPalette");
        expect_one_of("ZVSaveBitmapPalette",
                      ZVSaveBitmapPalette(bitmap, w.own_file("bitmap.pal").c_str()),
                      {OK, BAD_BITMAP, ZV_ERR_NO_DIB_PALETTE, ZV_ERR_DIB_BITCOUNT, NO_MEMORY,
                       FILE_OPEN, FILE_WRITE});
        break;
    default: {
        long long busy = ZV_ERR_CLIPBOARD_BUSY, failed = ZV_ERR_CLIPBOARD_COPY;
        if (w.number(0, 1) == 0) {
            w.doing("ZVCopyBitmapToClipboard");
            expect_one_of("ZVCopyBitmapToClipboard", ZVCopyBitmapToClipboard(bitmap),
                          {OK, BAD_BITMAP, busy, NO_MEMORY, failed});
        } else {
            w.doing("ZVCopyImageToClipboard");
            expect_one_of("ZVCopyImageToClipboard", ZVCopyImageToClipboard(window),
                          {OK, BAD_WINDOW, busy, NO_MEMORY, failed, capture[0], capture[2]});
        }
    }
    }
}

// Feeds pointer and keyboard input over a window, then reads it back through the API.
void stress_input(worker &w, int window) {
    POINT at = client_to_screen(window, w.number(0, 30), w.number(0, 30));
    w.doing("headless input");
    headless_test_move_pointer(at.x, at.y, 0);
    if (w.number(0, 2) == 0) {
        int button = w.number(0, 1) ? DISPLAY_BUTTON_LEFT : DISPLAY_BUTTON_RIGHT;
        headless_test_press(button, w.number(0, 1) ? DISPLAY_MOD_CONTROL : 0);
        headless_test_release(button, 0);
    }
    if (w.number(0, 2) == 0) headless_test_type((char)w.number('a', 'z'), w.number(1, 3));
    const long long coords = ZV_ERR_BAD_COORDS, no_click = ZV_ERR_NO_CLICK;
    w.doing("ZVCaptureMouseCoords");
    expect_one_of("ZVCaptureMouseCoords", ZVCaptureMouseCoords(window),
                  {OK, ZV_ERR_MOUSE_OUTSIDE, BAD_WINDOW});
    expect_range_or("ZVGetMouseCoordsX", ZVGetMouseCoordsX(window), -100000, 100000,
                    {coords, BAD_WINDOW});
    w.doing("ZVCaptureLastLeftMouseClick");
    expect_one_of("ZVCaptureLastLeftMouseClick", ZVCaptureLastLeftMouseClick(window),
                  {OK, no_click, BAD_WINDOW});
    expect_range_or("ZVGetLastLeftMouseClickY", ZVGetLastLeftMouseClickY(window), -100000, 100000,
                    {coords, BAD_WINDOW});
    expect_one_of("ZVGetLastLeftMouseClickCTRL", ZVGetLastLeftMouseClickCTRL(window),
                  {0, 1, coords, BAD_WINDOW});
    w.doing("ZVCaptureLastRightMouseClick");
    expect_one_of("ZVCaptureLastRightMouseClick", ZVCaptureLastRightMouseClick(window),
                  {OK, no_click, BAD_WINDOW});
    expect_one_of("ZVGetLastRightMouseClickSHIFT", ZVGetLastRightMouseClickSHIFT(window),
                  {0, 1, coords, BAD_WINDOW});
    w.doing("ZV_kbhit");
    int waiting = ZV_kbhit(window);
    expect_one_of("ZV_kbhit", waiting, {0, 1, BAD_WINDOW});
    w.doing("ZVReadChar");
    if (waiting == 1) ZVReadChar(window);
    if (w.number(0, 3) == 0)
        expect_one_of("ZVClearKeyBuffer", ZVClearKeyBuffer(window), {OK, BAD_WINDOW});
}

void handle_pool::add(int value) {
    std::lock_guard<std::mutex> hold(lock);
    live.push_back(value);
    made.insert(value);
    ++added;
}

int handle_pool::any(std::minstd_rand &random) {
    std::lock_guard<std::mutex> hold(lock);
    return live.empty() ? 0 : live[random() % live.size()];
}

int handle_pool::take(std::minstd_rand &random) {
    std::lock_guard<std::mutex> hold(lock);
    if (live.empty()) return 0;
    size_t at = random() % live.size();
    int value = live[at];
    live[at] = live.back();
    live.pop_back();
    return value;
}

size_t handle_pool::size() {
    std::lock_guard<std::mutex> hold(lock);
    return live.size();
}

std::vector<int> handle_pool::take_all() {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<int> all;
    all.swap(live);
    return all;
}

std::vector<int> handle_pool::every_id_made() {
    std::lock_guard<std::mutex> hold(lock);
    return std::vector<int>(made.begin(), made.end());
}

stress_shared::stress_shared(const scratch_folder &scratch) : folder(scratch) {
    bmp_8bit = folder.write("eight.bmp", make_bmp(23, 17, 8).file());
    bmp_24bit = folder.write("rgb.bmp", make_bmp(31, 19, 24).file());
    bmp_4bit = folder.write("four.bmp", make_bmp(9, 7, 4).file());
    riff = folder.write("colours.pal", make_riff(16, 16));
    bytes cut = make_bmp(12, 12, 8).file();
    cut.resize(cut.size() / 2);
    corrupt = folder.write("cut.bmp", cut);
    missing = folder.path("no-such-file.bmp");
}
