// Prints what the reference GDI's StretchBlt (COLORONCOLOR, SRCCOPY) gives for whole-number
// enlargements, for comparing with platform/posix/gdi/: for each case one line
//   stretch <sx> <sy> <destination x offset> <mismatches>
// where a mismatch is a destination pixel other than source pixel (x / sx, y / sy), or a pixel
// outside the copy that changed.
#include "tools/reference-gdi/dib_surface.h"

#include <stdio.h>

int main() {
    const int src_width = 7, src_height = 5, dst_width = 64, dst_height = 40;
    dib_surface source(src_width, src_height), target(dst_width, dst_height);
    HDC src_dc = source.dc, dst_dc = target.dc;
    uint32_t *src = source.bits, *dst = target.bits;
    for (int i = 0; i < src_width * src_height; ++i) src[i] = 0x010203u * (i + 1);
    SetStretchBltMode(dst_dc, COLORONCOLOR);
    const int scales[][2] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {2, 3}, {5, 1}, {8, 8}};
    for (const auto &scale : scales) {
        for (int offset = 0; offset >= -3; offset -= 3) {
            for (int i = 0; i < dst_width * dst_height; ++i) dst[i] = 0xABCDEFu;
            int sx = scale[0], sy = scale[1];
            StretchBlt(dst_dc, offset, 0, src_width * sx, src_height * sy, src_dc, 0, 0, src_width,
                       src_height, SRCCOPY);
            int mismatches = 0;
            for (int y = 0; y < dst_height; ++y)
                for (int x = 0; x < dst_width; ++x) {
                    int cx = x - offset;
                    bool inside = cx < src_width * sx && y < src_height * sy;
                    unsigned want = inside ? src[cx / sx + y / sy * src_width] : 0xABCDEFu;
                    if ((dst[x + y * dst_width] & 0xFFFFFF) != want) ++mismatches;
                }
            printf("stretch %d %d %d %d\n", sx, sy, offset, mismatches);
        }
    }
    return 0;
}
