// The plain attributes of a DC: text and background colours, background mode, text
// alignment and the current position. Each setter returns the previous value.
#include "platform/posix/gdi/gdi_internal.h"

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->text_colour;
    dc->text_colour = colour;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF colour) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->bk_colour;
    dc->bk_colour = colour;
    return previous;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->bk_mode;
    dc->bk_mode = mode;
    return previous;
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return GDI_ERROR;
    UINT previous = dc->text_align;
    dc->text_align = align;
    return previous;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}
