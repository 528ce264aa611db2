// Viewer: shows a BMP file in a window the size of the picture and saves its palette.
//
//   viewer picture.bmp      show picture.bmp
//   viewer                  make viewer-sample.bmp (256 colours) first, then show it
//
// The palette (colour table) of a picture of 256 colours or fewer is written as viewer.pal, a
// RIFF palette file; 24-bit pictures have none. On a desktop the window stays open until you
// press q (or Esc); without a display it waits a second. At the end it saves what the window
// shows as viewer.bmp. Files go to the folder named by ZELVAN_PICTURES, or else to the
// current folder.
#include "zelvan.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

// True when the windows are on a screen someone sees; headless they are drawn in memory.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

// BMP files store numbers least significant byte first.
static void put_le(std::vector<unsigned char> &out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back((unsigned char)(value >> (8 * i)));
}

// Writes an 8-bit BMP: a colour wheel whose 256 colours are the palette. Returns false when
// the file cannot be written.
static bool write_sample_bmp(const char *file_name, int width, int height) {
    const int row_bytes = (width + 3) / 4 * 4; // every row is padded to a multiple of 4 bytes
    const unsigned pixel_offset = 14 + 40 + 256 * 4;
    std::vector<unsigned char> bmp;
    // File header: "BM", file size, two reserved words, where the pixels start.
    bmp.push_back('B');
    bmp.push_back('M');
    put_le(bmp, pixel_offset + row_bytes * height, 4);
    put_le(bmp, 0, 4);
    put_le(bmp, pixel_offset, 4);
    // Info header: its size, width, height, planes, bits per pixel, no compression, the
    // pixel data size, 96 dpi (3780 pixels a metre) both ways, 256 colours used.
    const unsigned info[] = {40, (unsigned)width, (unsigned)height};
    for (unsigned field : info) put_le(bmp, field, 4);
    put_le(bmp, 1, 2);
    put_le(bmp, 8, 2);
    const unsigned rest[] = {0, (unsigned)(row_bytes * height), 3780, 3780, 256, 0};
    for (unsigned field : rest) put_le(bmp, field, 4);
    // The palette: 256 entries of blue, green, red and a zero, running round the colour wheel.
    const double pi = 3.14159265358979;
    for (int i = 0; i < 256; ++i) {
        for (double phase : {4.0, 2.0, 0.0}) // blue, green, red
            bmp.push_back((unsigned char)(127.5 + 127.5 * std::cos(2 * pi * i / 256 + phase)));
        bmp.push_back(0);
    }
    // The pixels, bottom row first: each is a palette index, by angle round the centre.
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < row_bytes; ++x) {
            double angle = std::atan2(y - height / 2.0, x - width / 2.0);
            double radius = std::hypot(y - height / 2.0, x - width / 2.0);
            bmp.push_back((unsigned char)((int)(angle / (2 * pi) * 256 + radius / 2) & 255));
        }
    }
    FILE *file = std::fopen(file_name, "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bmp.data(), 1, bmp.size(), file) == bmp.size();
    return std::fclose(file) == 0 && written;
}

// Saves the bitmap's palette; a picture without one is reported, not treated as an error.
static void save_palette(int bitmap) {
    std::string palette = picture_path("viewer.pal");
    int result = ZVSaveBitmapPalette(bitmap, palette.c_str());
    if (result == ZV_ERR_NO_DIB_PALETTE)
        std::printf("this picture has more than 256 colours and no palette to save\n");
    else
        std::printf("%s: %s\n", palette.c_str(), ZVGetErrorString(result));
}

static void wait_for_quit(int w) {
    if (!on_desktop()) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return;
    }
    for (;;) {
        while (ZV_kbhit(w) == 1) {
            char key = ZVReadChar(w);
            if (key == 'q' || key == 'Q' || key == 27) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    std::string file_name;
    if (argc > 1) {
        file_name = argv[1];
    } else {
        file_name = picture_path("viewer-sample.bmp");
        if (!write_sample_bmp(file_name.c_str(), 320, 240)) {
            std::printf("could not write %s\n", file_name.c_str());
            return 1;
        }
    }
    // A bitmap is a picture the library holds under a number, belonging to no window.
    int bitmap = ZVLoadBitmap(file_name.c_str());
    if (bitmap == 0) {
        std::printf("%s: %s\n", file_name.c_str(), ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    std::printf("%s: %d x %d pixels\n", file_name.c_str(), ZVGetBitmapWidth(bitmap),
                ZVGetBitmapHeight(bitmap));
    save_palette(bitmap);

    std::string title = "Zelvan viewer - " + file_name + " - press q to quit";
    int w = ZVCreateWindow(100, 100, ZVGetBitmapWidth(bitmap), ZVGetBitmapHeight(bitmap),
                           title.c_str());
    if (w == 0) {
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    // ZVShowBitmap sizes the window to the picture and draws it; on a display of 256 colours
    // the window also needs the picture's palette to show the right ones.
    ZVShowBitmap(w, bitmap);
    ZVUseBitmapPalette(w, bitmap);
    wait_for_quit(w);

    std::string picture = picture_path("viewer.bmp");
    int saved = ZVSaveImage(w, picture.c_str());
    std::printf("%s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    ZVDestroyWindow(w);
    ZVDiscardBitmap(bitmap);
    return saved == ZV_OK ? 0 : 1;
}
