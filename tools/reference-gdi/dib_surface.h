// A memory DC drawing on a white, top-down 32-bit DIB section: the reference programs'
// stand-in for a window's buffer on a 32-bit screen.
#ifndef ZELVAN_TOOLS_DIB_SURFACE_H
#define ZELVAN_TOOLS_DIB_SURFACE_H

#include "platform/win32.h"

#include <stdint.h>

struct dib_surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ original = nullptr;
    uint32_t *bits = nullptr; // 0x00RRGGBB, top row first; null when the surface failed

    dib_surface(int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *pixels = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!dc || !bitmap) return;
        bits = static_cast<uint32_t *>(pixels);
        original = SelectObject(dc, bitmap);
        // White through the GDI, as the library clears its buffers: the unused top byte of
        // each pixel stays 0, which InvertRect and ExtFloodFill both see.
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~dib_surface() {
        if (original) SelectObject(dc, original);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    dib_surface(const dib_surface &) = delete;
    dib_surface &operator=(const dib_surface &) = delete;
};

#endif
