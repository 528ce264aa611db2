// Drives the drawing calls with arbitrary coordinates, radii, angles, widths, styles and fonts
// on a small window. AddressSanitizer catches any write or read outside a surface, libFuzzer's
// -timeout any call that runs away, and each call's result must be one it documents.
#include "fuzz_input.h"
#include "zelvan.h"

#include <math.h>
#include <stdlib.h>
#include <string>

namespace {

// Mostly small values around the surface, sometimes anything an int can hold.
int coordinate(fuzz_input *input) {
    if (fuzz_take_small(input, 0, 7) == 0) return fuzz_take_int(input);
    return fuzz_take_small(input, -80, 120);
}

float angle(fuzz_input *input) {
    switch (fuzz_take_small(input, 0, 3)) {
    case 0:
        return fuzz_take_float_bits(input);
    case 1:
        return (float)fuzz_take_range(input, -720, 720);
    case 2:
        return fuzz_take_byte(input) & 1 ? INFINITY : NAN;
    default:
        return (float)fuzz_take_range(input, -400000, 400000) / 1000.0f;
    }
}

void expect(bool documented) {
    if (!documented) abort();
}

bool ok_or_error(int result) {
    return result == ZV_OK || result == ZV_ERROR;
}

bool zero_or_one(int result) {
    return result == 0 || result == 1;
}

void set_font(fuzz_input *input, int window) {
    static const char *const faces[] = {"DejaVu Sans",  "DejaVu Serif", "Monospace",  "",
                                        "No Such Face", "Arial",        "Courier New"};
    int size = fuzz_take_range(input, -400, 400);
    double turn = angle(input);
    const char *face = faces[fuzz_take_small(input, 0, 6)];
    expect(ok_or_error(ZVSetFont(window, size, turn, face)));
}

void set_attribute(fuzz_input *input, int window) {
    ZVCOLOUR colour = fuzz_take_u32(input);
    switch (fuzz_take_small(input, 0, 7)) {
    case 0:
        expect(ZVSetLineStyle(window, fuzz_take_small(input, -2, 6)) == ZV_OK);
        break;
    case 1:
        expect(ZVSetLineWidth(window, coordinate(input)) == ZV_OK);
        break;
    case 2:
        expect(ZVSetFillStyle(window, fuzz_take_small(input, -2, 9)) == ZV_OK);
        break;
    case 3:
        expect(ZVSetFillColour(window, colour) == ZV_OK);
        break;
    case 4:
        expect(ZVSetForeground(window, colour) == ZV_OK);
        break;
    case 5:
        expect(ZVSetBackground(window, colour) == ZV_OK);
        break;
    case 6:
        expect(ok_or_error(ZVTextAlign(window, fuzz_take_small(input, -3, 14))));
        break;
    default:
        set_font(input, window);
    }
}

void draw_shape(fuzz_input *input, int window) {
    int x = coordinate(input), y = coordinate(input), a = coordinate(input), b = coordinate(input);
    switch (fuzz_take_small(input, 0, 12)) {
    case 0:
        expect(ok_or_error(ZVPlot(window, x, y)));
        break;
    case 1:
        expect(ZVMoveTo(window, x, y) == ZV_OK);
        break;
    case 2:
        expect(ok_or_error(ZVLine(window, x, y)));
        break;
    case 3:
        expect(ZVCircle(window, x, y, a) == ZV_OK);
        break;
    case 4:
        expect(ok_or_error(ZVArc(window, x, y, a, angle(input), angle(input))));
        break;
    case 5:
        expect(ok_or_error(ZVPie(window, x, y, a, angle(input), angle(input))));
        break;
    case 6:
        expect(ok_or_error(ZVRectangle(window, x, y, a, b)));
        break;
    case 7:
        expect(ok_or_error(ZVInvertRectangle(window, x, y, a, b)));
        break;
    case 8:
        expect(ok_or_error(ZVFillRectangle(window, x, y, a, b)));
        break;
    case 9:
        expect(ok_or_error(ZVFillCircle(window, x, y, a)));
        break;
    case 10:
        expect(ok_or_error(ZVFloodFill(window, x, y, fuzz_take_u32(input))));
        break;
    case 11:
        expect(ok_or_error(ZVTextOut(window, x, y, fuzz_take_text(input, 24).c_str())));
        break;
    default: {
        ZVCOLOUR set = ZVSetPixel(window, x, y, fuzz_take_u32(input));
        expect((set <= 0xFFFFFFu && ZVGetPixel(window, x, y) == set) || set == 0xFFFFFFFFu);
    }
    }
}

// Buffers, copies and resizes, which change the surfaces the shapes land on.
void change_surface(fuzz_input *input, int window) {
    switch (fuzz_take_small(input, 0, 5)) {
    case 0:
        expect(zero_or_one(ZVSetDoubleBuffer(window, fuzz_take_int(input))));
        break;
    case 1:
        expect(zero_or_one(ZVSwitchDrawBuffer(window)));
        break;
    case 2:
        expect(ok_or_error(ZVClearDrawBuffer(window)));
        break;
    case 3:
        expect(ok_or_error(ZVCopyDrawBufferToView(window)));
        break;
    case 4: {
        int width = fuzz_take_small(input, -2, 64), height = fuzz_take_small(input, -2, 64);
        int result = ZVResize(window, width, height);
        expect(result == ZV_OK || result == ZV_ERR_BAD_WIDTH || result == ZV_ERR_BAD_HEIGHT);
        break;
    }
    default: {
        int x = coordinate(input), y = coordinate(input);
        int bitmap = ZVCopyBitmap(window, x, y, coordinate(input), coordinate(input));
        if (bitmap == 0) break;
        expect((ZVPasteBitmap(window, bitmap, coordinate(input), coordinate(input)) == ZV_OK));
        expect(ZVDiscardBitmap(bitmap) == ZV_OK);
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_input input{data, size};
    // A fresh window per input keeps every run reproducible from its bytes alone.
    int window = ZVCreateWindow(0, 0, 40, 30, "fuzz");
    if (window == 0) abort();
    for (int step = 0; step < 64 && input.size > 0; ++step) {
        switch (fuzz_take_small(&input, 0, 3)) {
        case 0:
            set_attribute(&input, window);
            break;
        case 1:
            change_surface(&input, window);
            break;
        default:
            draw_shape(&input, window);
            break;
        }
    }
    ZVDestroyWindow(window);
    return 0;
}
