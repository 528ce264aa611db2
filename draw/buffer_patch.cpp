// The staging section a window keeps for its patches, and the copies in and out of it.
#include "draw/buffer_patch.h"
#include "draw/drawing_state.h"

#include <algorithm>

namespace {

// The narrowest section made, and the pixels one holds: 64 KiB, which stays in the second-
// level cache while a band is read, changed and written back.
const int64_t k_least_width = 256;
const int64_t k_section_pixels = 16384;

bool make_section(HDC like, int64_t width, int64_t rows, staging_section *section) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(rows);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(like, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    HDC dc = bitmap && memory ? CreateCompatibleDC(like) : nullptr;
    HGDIOBJ previous = dc ? SelectObject(dc, bitmap) : nullptr;
    if (!previous) {
        if (dc) DeleteDC(dc);
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    *section = staging_section{dc, bitmap, previous, static_cast<uint32_t *>(memory), width, rows};
    return true;
}

} // namespace

void staging_release(staging_section *section) {
    if (!section->dc) return;
    SelectObject(section->dc, section->previous);
    DeleteDC(section->dc);
    DeleteObject(section->bitmap);
    *section = staging_section{};
}

int64_t patch_band_rows(window_record *window, int64_t width, int64_t area_rows,
                        int64_t band_pixels) {
    staging_section *section = &window->drawing->staging;
    if (section->width < width) {
        // Widths grow by doubling, so a sprite whose box changes size from call to call
        // remakes the section a few times at most.
        int64_t wide = k_least_width;
        while (wide < width) wide *= 2;
        staging_release(section);
        if (!make_section(window->memory_dc, wide, std::max<int64_t>(k_section_pixels / wide, 1),
                          section))
            return 0;
    }
    int64_t rows = std::max<int64_t>(band_pixels / width, 1);
    return std::min({rows, section->rows, area_rows});
}

bool patch_read(window_record *window, HDC dc, const patch_area &area, int64_t top, int64_t rows,
                patch_band *band) {
    const staging_section &section = window->drawing->staging;
    *band = patch_band{section.bits, section.width, area.left, top, area.right - area.left, rows};
    if (!BitBlt(section.dc, 0, 0, static_cast<int>(band->width), static_cast<int>(rows), dc,
                static_cast<int>(area.left), static_cast<int>(top), SRCCOPY))
        return false;
    GdiFlush(); // the copy has landed in the section before its bits are read
    return true;
}

bool patch_write(window_record *window, HDC dc, const patch_band &band) {
    return BitBlt(dc, static_cast<int>(band.left), static_cast<int>(band.top),
                  static_cast<int>(band.width), static_cast<int>(band.rows),
                  window->drawing->staging.dc, 0, 0, SRCCOPY) != 0;
}
