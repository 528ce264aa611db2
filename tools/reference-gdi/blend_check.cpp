// Prints what the reference GDI's AlphaBlend (AC_SRC_ALPHA, premultiplied source) and
// TransparentBlt give, for comparing with platform/posix/gdi/: one line per case,
//   blend <src alpha> <src channel> <dst channel> <result>   and   key <pixel> <result>.
// Every alpha 0..255 over a spread of destination values, the colour at every eighth level
// up to its alpha, so each rounding case appears.
#include "tools/reference-gdi/dib_surface.h"

#include <stdio.h>

int main() {
    const int dst_values[] = {0, 1, 2, 63, 64, 127, 128, 129, 200, 254, 255};
    const int width = 256, height = 11;
    dib_surface source(width, height), target(width, height);
    HDC src_dc = source.dc, dst_dc = target.dc;
    uint32_t *src = source.bits, *dst = target.bits;
    for (int level = 0; level < 256; level += 8) {
        for (int y = 0; y < height; ++y)
            for (int a = 0; a < width; ++a) {
                unsigned c = static_cast<unsigned>(level > a ? a : level);
                src[y * width + a] = static_cast<unsigned>(a) << 24 | c << 16 | c << 8 | c;
                unsigned d = static_cast<unsigned>(dst_values[y]);
                dst[y * width + a] = d << 16 | d << 8 | d;
            }
        GdiFlush();
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dst_dc, 0, 0, width, height, src_dc, 0, 0, width, height, blend);
        GdiFlush();
        for (int y = 0; y < height; ++y)
            for (int a = 0; a < width; ++a)
                printf("blend %d %d %d %u\n", a, level > a ? a : level, dst_values[y],
                       dst[y * width + a] & 255);
    }
    // TransparentBlt: the key's pixels leave the destination, the others replace it.
    for (int x = 0; x < width; ++x) {
        src[x] = x % 3 == 0 ? 0x00FF00FFu : static_cast<unsigned>(x) * 0x010203u;
        dst[x] = 0x123456;
    }
    GdiFlush();
    TransparentBlt(dst_dc, 0, 0, width, 1, src_dc, 0, 0, width, 1, RGB(255, 0, 255));
    GdiFlush();
    for (int x = 0; x < width; ++x) printf("key %08x %08x\n", src[x] & 0xFFFFFF, dst[x] & 0xFFFFFF);
    return 0;
}
