/* Zelvan: graphics windows for console programs.
 *
 * Every function may be called from any thread. Windows and bitmaps are named by
 * plain integers; outcomes are the ZV_ result codes below. ZVGetTitle hands out a
 * library-owned buffer that its next call overwrites; ZVGetErrorString's text is
 * described at its declaration.
 */
#ifndef ZELVAN_H
#define ZELVAN_H

#if defined(_WIN32) && !defined(_WIN64)
#define ZVAPI __stdcall
#else
#define ZVAPI
#endif

#if defined(_WIN32)
/* Zelvan.dll exports the names listed in zelvan.def. */
#define ZVEXPORT
#else
#define ZVEXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A colour as 0x00BBGGRR; only the low 24 bits are used. */
typedef unsigned int ZVCOLOUR;

/* Result codes. */
#define ZV_OK (-1000000)
#define ZV_ERROR (-999999)
#define ZV_ERR_FILE_OPEN (-999998)
#define ZV_ERR_FILE_READ (-999997)
#define ZV_ERR_FILE_WRITE (-999996)
#define ZV_ERR_BMP_CORRUPT (-999995)
#define ZV_ERR_BMP_SIZE_MISMATCH (-999994)
#define ZV_ERR_16BIT (-999993)
#define ZV_ERR_32BIT (-999992)
#define ZV_ERR_FILE_PALETTE_SIZE (-999991)
#define ZV_ERR_BMP_BITCOUNT (-999990)
#define ZV_ERR_CREATE_DIB (-999989)
#define ZV_ERR_NOT_RIFF (-999988)
#define ZV_ERR_NO_PAL_DATA (-999987)
#define ZV_ERR_PAL_VERSION (-999986)
#define ZV_ERR_DIB_PALETTE_SIZE (-999985)
#define ZV_ERR_DIB_BITCOUNT (-999984)
#define ZV_ERR_NO_DIB_PALETTE (-999983)
#define ZV_ERR_BAD_WINDOW (-999982)
#define ZV_ERR_BAD_BITMAP (-999981)
#define ZV_ERR_BAD_WIDTH (-999980)
#define ZV_ERR_BAD_HEIGHT (-999979)
#define ZV_ERR_BAD_LEFT (-999978)
#define ZV_ERR_BAD_TOP (-999977)
#define ZV_ERR_COPY_BITMAP (-999976)
#define ZV_ERR_CREATE_WINDOW (-999975)
#define ZV_ERR_TOO_MANY_WINDOWS (-999974)
#define ZV_ERR_NO_MEMORY (-999973)
#define ZV_ERR_MOUSE_OUTSIDE (-999972)
#define ZV_ERR_NOT_TOP_WINDOW (-999971)
#define ZV_ERR_BAD_COORDS (-999970)
#define ZV_ERR_NO_CLICK (-999969)
#define ZV_ERR_NOT_INITIALISED (-999968)
#define ZV_ERR_CLIPBOARD_BUSY (-999967)
#define ZV_ERR_CLIPBOARD_COPY (-999966)

/* The value colour-returning calls give for a bad window handle. */
#define ZV_BAD_COLOUR 0xFF000000u

/* Version, last error and messages. */
ZVEXPORT int ZVAPI ZVGetVersion(void);
ZVEXPORT int ZVAPI ZVGetLastError(void);
/* Known codes give constant text; unknown ones "Bad error code" in a shared buffer. */
ZVEXPORT const char *ZVAPI ZVGetErrorString(int code);

/* Windows. */
ZVEXPORT int ZVAPI ZVCreateWindow(int x, int y, int width, int height, const char *title);
ZVEXPORT int ZVAPI ZVDestroyWindow(int window);
ZVEXPORT int ZVAPI ZVIsWindow(int window);

/* Window control. */
ZVEXPORT int ZVAPI ZVSetTitle(int window, const char *title);
ZVEXPORT const char *ZVAPI ZVGetTitle(int window);
ZVEXPORT int ZVAPI ZVMove(int window, int x, int y);
ZVEXPORT int ZVAPI ZVResize(int window, int width, int height);
ZVEXPORT int ZVAPI ZVMinimize(int window);
ZVEXPORT int ZVAPI ZVRestore(int window);
ZVEXPORT int ZVAPI ZVBringWindowToFront(int window);
ZVEXPORT int ZVAPI ZVGetWidth(int window);
ZVEXPORT int ZVAPI ZVGetHeight(int window);
ZVEXPORT int ZVAPI ZVGetWindowX(int window);
ZVEXPORT int ZVAPI ZVGetWindowY(int window);

/* Line styles of ZVSetLineStyle; any other number draws solid. */
#define ZV_LINE_SOLID 0
#define ZV_LINE_DASH 1
#define ZV_LINE_DASHDOT 2
#define ZV_LINE_DASHDOTDOT 3
#define ZV_LINE_INVISIBLE 4 /* no lines, points or outlines; fills stay */

/* Fill styles of ZVSetFillStyle; any other number fills solid. */
#define ZV_FILL_SOLID 0
#define ZV_FILL_RISING_DIAGONAL 1  /* / */
#define ZV_FILL_FALLING_DIAGONAL 2 /* \ */
#define ZV_FILL_CROSS_HATCH 3      /* diagonal cross-hatch */
#define ZV_FILL_HORIZONTAL 4
#define ZV_FILL_VERTICAL 5

/* Drawing attributes. */
ZVEXPORT int ZVAPI ZVSetForeground(int window, ZVCOLOUR colour);
ZVEXPORT ZVCOLOUR ZVAPI ZVGetForeground(int window);
ZVEXPORT int ZVAPI ZVSetBackground(int window, ZVCOLOUR colour);
ZVEXPORT ZVCOLOUR ZVAPI ZVGetBackground(int window);
ZVEXPORT ZVCOLOUR ZVAPI ZVGetRGBColour(int red, int green, int blue);
ZVEXPORT int ZVAPI ZVSetLineStyle(int window, int style);
ZVEXPORT int ZVAPI ZVGetLineStyle(int window);
ZVEXPORT int ZVAPI ZVSetLineWidth(int window, int width);
ZVEXPORT int ZVAPI ZVGetLineWidth(int window);
ZVEXPORT int ZVAPI ZVSetFillStyle(int window, int style);
ZVEXPORT int ZVAPI ZVGetFillStyle(int window);
ZVEXPORT int ZVAPI ZVSetFillColour(int window, ZVCOLOUR colour);
ZVEXPORT ZVCOLOUR ZVAPI ZVGetFillColour(int window);

/* Drawing primitives. */
ZVEXPORT ZVCOLOUR ZVAPI ZVSetPixel(int window, int x, int y, ZVCOLOUR colour);
ZVEXPORT int ZVAPI ZVSetPixelFast(int window, int x, int y, ZVCOLOUR colour);
ZVEXPORT ZVCOLOUR ZVAPI ZVGetPixel(int window, int x, int y);
ZVEXPORT int ZVAPI ZVPlot(int window, int x, int y);
ZVEXPORT int ZVAPI ZVMoveTo(int window, int x, int y);
ZVEXPORT int ZVAPI ZVLine(int window, int x, int y);
ZVEXPORT int ZVAPI ZVGetCurXPos(int window);
ZVEXPORT int ZVAPI ZVGetCurYPos(int window);
ZVEXPORT int ZVAPI ZVCircle(int window, int xc, int yc, int radius);
ZVEXPORT int ZVAPI ZVArc(int window, int xc, int yc, int radius, float start, float sweep);
ZVEXPORT int ZVAPI ZVPie(int window, int xc, int yc, int radius, float start, float sweep);
ZVEXPORT int ZVAPI ZVRectangle(int window, int x1, int y1, int x2, int y2);
ZVEXPORT int ZVAPI ZVInvertRectangle(int window, int x1, int y1, int x2, int y2);
ZVEXPORT int ZVAPI ZVFillRectangle(int window, int x1, int y1, int x2, int y2);
ZVEXPORT int ZVAPI ZVFillCircle(int window, int xc, int yc, int radius);
ZVEXPORT int ZVAPI ZVFloodFill(int window, int x, int y, ZVCOLOUR border);

/* Text and fonts. */
ZVEXPORT int ZVAPI ZVTextOut(int window, int x, int y, const char *text);
ZVEXPORT int ZVAPI ZVTextAlign(int window, int code);
ZVEXPORT int ZVAPI ZVSetFont(int window, int size, double angle, const char *face);

/* Drawing buffers and redraw. */
ZVEXPORT int ZVAPI ZVSetDoubleBuffer(int window, int on);
ZVEXPORT int ZVAPI ZVSwitchDrawBuffer(int window);
ZVEXPORT int ZVAPI ZVSwitchViewBuffer(int window);
ZVEXPORT int ZVAPI ZVGetDrawBuffer(int window);
ZVEXPORT int ZVAPI ZVGetViewBuffer(int window);
ZVEXPORT int ZVAPI ZVClearDrawBuffer(int window);
ZVEXPORT int ZVAPI ZVClearViewBuffer(int window);
ZVEXPORT int ZVAPI ZVCopyDrawBufferToView(int window);
ZVEXPORT int ZVAPI ZVRedraw(int window);
ZVEXPORT int ZVAPI ZVSetAutoRedraw(int window, int interval_ms);

/* Mouse. */
ZVEXPORT int ZVAPI ZVCaptureMouseCoords(int window);
ZVEXPORT int ZVAPI ZVGetMouseCoordsX(int window);
ZVEXPORT int ZVAPI ZVGetMouseCoordsY(int window);
ZVEXPORT int ZVAPI ZVCaptureLastLeftMouseClick(int window);
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickX(int window);
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickY(int window);
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickCTRL(int window);
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickSHIFT(int window);
ZVEXPORT int ZVAPI ZVCaptureLastRightMouseClick(int window);
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickX(int window);
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickY(int window);
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickCTRL(int window);
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickSHIFT(int window);

/* Keyboard. */
ZVEXPORT char ZVAPI ZVReadChar(int window);
ZVEXPORT int ZVAPI ZV_kbhit(int window);
ZVEXPORT int ZVAPI ZVClearKeyBuffer(int window);

/* Bitmaps. */
ZVEXPORT int ZVAPI ZVLoadBitmap(const char *file_name);
ZVEXPORT int ZVAPI ZVSaveBitmap(int bitmap, const char *file_name);
ZVEXPORT int ZVAPI ZVDiscardBitmap(int bitmap);
ZVEXPORT int ZVAPI ZVShowBitmap(int window, int bitmap);
ZVEXPORT int ZVAPI ZVCopyBitmap(int window, int left, int top, int width, int height);
ZVEXPORT int ZVAPI ZVPasteBitmap(int window, int bitmap, int x, int y);
ZVEXPORT int ZVAPI ZVGetBitmapWidth(int bitmap);
ZVEXPORT int ZVAPI ZVGetBitmapHeight(int bitmap);

/* Window images. */
ZVEXPORT int ZVAPI ZVLoadImage(int window, const char *file_name);
ZVEXPORT int ZVAPI ZVSaveImage(int window, const char *file_name);

/* Palettes. */
ZVEXPORT int ZVAPI ZVLoadRIFFPalette(int window, const char *file_name);
ZVEXPORT int ZVAPI ZVUseBitmapPalette(int window, int bitmap);
ZVEXPORT int ZVAPI ZVSaveWindowPalette(int window, const char *file_name);
ZVEXPORT int ZVAPI ZVSaveBitmapPalette(int bitmap, const char *file_name);

/* Clipboard. */
ZVEXPORT int ZVAPI ZVCopyBitmapToClipboard(int bitmap);
ZVEXPORT int ZVAPI ZVCopyImageToClipboard(int window);

/* Beyond the original set: held buttons and drags, the wheel, held and special keys, and
 * the close box. */

/* Bits of ZVGetMouseButtons; the ZV_MOD_ bits also come with ZVReadKey, shifted left by 16. */
#define ZV_MOUSE_LEFT 1
#define ZV_MOUSE_RIGHT 2
#define ZV_MOUSE_MIDDLE 4
#define ZV_MOD_SHIFT 8
#define ZV_MOD_CTRL 16
#define ZV_MOD_ALT 32

/* Key codes of ZVReadKey and ZVIsKeyDown. A key that types a printable character is named by
 * that character as typed without SHIFT (letters in lower case: 'a', '1', '-'); the others
 * have codes above 255, so that no code equals a character. */
#define ZV_KEY_ESCAPE 256
#define ZV_KEY_ENTER 257
#define ZV_KEY_BACKSPACE 258
#define ZV_KEY_TAB 259
#define ZV_KEY_SPACE 260
#define ZV_KEY_LEFT 261
#define ZV_KEY_UP 262
#define ZV_KEY_RIGHT 263
#define ZV_KEY_DOWN 264
#define ZV_KEY_INSERT 265
#define ZV_KEY_DELETE 266
#define ZV_KEY_HOME 267
#define ZV_KEY_END 268
#define ZV_KEY_PAGE_UP 269
#define ZV_KEY_PAGE_DOWN 270
#define ZV_KEY_F1 271 /* F1 to F12 are 271 to 282: ZV_KEY_F1 + n - 1 */
#define ZV_KEY_F2 272
#define ZV_KEY_F3 273
#define ZV_KEY_F4 274
#define ZV_KEY_F5 275
#define ZV_KEY_F6 276
#define ZV_KEY_F7 277
#define ZV_KEY_F8 278
#define ZV_KEY_F9 279
#define ZV_KEY_F10 280
#define ZV_KEY_F11 281
#define ZV_KEY_F12 282
/* The modifier keys, for ZVIsKeyDown only: pressed alone they put nothing in the key ring. */
#define ZV_KEY_SHIFT 283
#define ZV_KEY_CTRL 284
#define ZV_KEY_ALT 285

/* The key code and the ZV_MOD_ bits of a ZVReadKey result. */
#define ZV_KEY_CODE(k) ((k)&0xFFFF)
#define ZV_KEY_MODS(k) (((k) >> 16) & 0xFF)

ZVEXPORT int ZVAPI ZVGetMouseButtons(int window);
ZVEXPORT int ZVAPI ZVGetMouseWheel(int window);
ZVEXPORT int ZVAPI ZVIsKeyDown(int window, int key);
ZVEXPORT int ZVAPI ZVReadKey(int window);
ZVEXPORT int ZVAPI ZVCloseRequested(int window);

/* Blocks of pixels: `width` x `height` colours, row by row, `stride` colours from the start of
 * one row to the next, with the block's top-left at (x, y) of the draw buffer. */
ZVEXPORT int ZVAPI ZVPutPixels(int window, int x, int y, int width, int height,
                               const ZVCOLOUR *pixels, int stride);
ZVEXPORT int ZVAPI ZVGetPixels(int window, int x, int y, int width, int height, ZVCOLOUR *pixels,
                               int stride);

/* Beyond the original set: sprites. ZVPasteBitmapAlpha blends a bitmap loaded from a PNG with
 * alpha over the window by that alpha (straight, as PNG stores it); a bitmap without alpha is
 * pasted as by ZVPasteBitmap. ZVPasteBitmapKeyed copies every pixel except those of the key
 * colour. Both clip to the window. */
ZVEXPORT int ZVAPI ZVPasteBitmapAlpha(int window, int bitmap, int x, int y);
ZVEXPORT int ZVAPI ZVPasteBitmapKeyed(int window, int bitmap, int x, int y, ZVCOLOUR key);

/* The program's loop: a clock, steady frames, a finished frame shown in one call, the pointer
 * without a capture call, and key names. ZVGetTicks counts milliseconds from the library's
 * start and wraps to 0 after 2^31 - 1 (about 24.8 days). */
ZVEXPORT int ZVAPI ZVGetTicks(void);
ZVEXPORT int ZVAPI ZVWaitFrame(int window, int fps);
ZVEXPORT int ZVAPI ZVPresent(int window);
ZVEXPORT int ZVAPI ZVGetMouseX(int window);
ZVEXPORT int ZVAPI ZVGetMouseY(int window);
ZVEXPORT const char *ZVAPI ZVGetKeyName(int key);

/* Beyond the original set: windows on a modern desktop. A window keeps the size the program
 * gives it unless ZVSetResizable allows the user to drag its border or maximise it; then the
 * drawing surface follows, as with ZVResize (the top-left picture stays, new area takes the
 * background colour). ZVWasResized gives 1 once after the user's hand or fullscreen switching
 * changed the drawing size, else 0. ZVSetFullscreen covers the window's monitor without a
 * frame (the drawing size becomes the monitor's) and gives the frame, place and size back.
 * ZVGetScreenWidth and ZVGetScreenHeight give the primary monitor's size in drawing pixels. */
ZVEXPORT int ZVAPI ZVSetResizable(int window, int on);
ZVEXPORT int ZVAPI ZVWasResized(int window);
ZVEXPORT int ZVAPI ZVSetFullscreen(int window, int on);
ZVEXPORT int ZVAPI ZVGetScreenWidth(void);
ZVEXPORT int ZVAPI ZVGetScreenHeight(void);

/* Beyond the original set: crisp scaling on dense screens. ZVGetScale gives the whole number N
 * by which the window's pixels are enlarged on screen: each drawing pixel is shown as an N x N
 * block, while sizes, the mouse and drawing stay in drawing pixels. N comes from ZELVAN_SCALE
 * (1 to 16, headless too) or else from the screen's density over 96 dpi (1 headless). */
ZVEXPORT int ZVAPI ZVGetScale(int window);

/* Beyond the original set: pictures made in memory, sprite-sheet frames drawn scaled, turned
 * and mirrored, and canvases. ZVCreateBitmap makes a bitmap with alpha from R, G, B, A bytes a
 * pixel, top row first (`stride` bytes from one row to the next, 0 for width * 4; a null
 * `rgba` gives a transparent bitmap); ZVGetBitmapPixels reads any bitmap back so (A is 255
 * for a bitmap without alpha). ZVDrawBitmap draws the source rectangle of a bitmap into the
 * destination rectangle (x, y, width, height), scaled to it, turned `angle` degrees
 * counter-clockwise about its centre and mirrored by the ZV_FLIP_ flags; ZV_SMOOTH samples
 * bilinearly instead of the nearest pixel. ZVSetBitmapColourKey makes one colour transparent
 * in every paste and draw of a bitmap. ZVCreateCanvas makes a window that is never shown, for
 * drawing off screen; ZVDestroyWindow ends it. */
#define ZV_FLIP_X 1
#define ZV_FLIP_Y 2
#define ZV_SMOOTH 4
/* The key of ZVSetBitmapColourKey that takes a bitmap's colour key away. */
#define ZV_NO_COLOUR_KEY 0xFFFFFFFFu
ZVEXPORT int ZVAPI ZVCreateBitmap(int width, int height, const unsigned char *rgba, int stride);
ZVEXPORT int ZVAPI ZVGetBitmapPixels(int bitmap, unsigned char *rgba, int stride);
ZVEXPORT int ZVAPI ZVDrawBitmap(int window, int bitmap, int src_x, int src_y, int src_width,
                                int src_height, int x, int y, int width, int height, double angle,
                                int flags);
ZVEXPORT int ZVAPI ZVSetBitmapColourKey(int bitmap, ZVCOLOUR key);
ZVEXPORT int ZVAPI ZVCreateCanvas(int width, int height);

/* Beyond the original set: text and input in any language, the pointer and icon, the display
 * and a fine clock. ZVGetTextWidth and ZVGetTextHeight give the size in drawing pixels of the
 * box ZVTextOut would fill with this UTF-8 text in the window's font, unturned. ZVReadUnicode
 * reads the queue of typed characters that ZVReadChar reads, giving a Unicode code point (0
 * when none waits); ZVReadChar gives a character that Windows-1252 lacks as '?'. ZVShowCursor
 * hides (0) or shows the pointer over the window; ZVSetIcon makes a bitmap the window's icon.
 * ZVGetDisplayKind names where windows appear: "windows", "x11", "wayland" or "headless" (in
 * memory, on no screen). ZVGetTime counts seconds from the library's start on a monotonic
 * clock, to the microsecond or better. */
ZVEXPORT int ZVAPI ZVGetTextWidth(int window, const char *text);
ZVEXPORT int ZVAPI ZVGetTextHeight(int window, const char *text);
ZVEXPORT int ZVAPI ZVReadUnicode(int window);
ZVEXPORT int ZVAPI ZVShowCursor(int window, int show);
ZVEXPORT int ZVAPI ZVSetIcon(int window, int bitmap);
ZVEXPORT const char *ZVAPI ZVGetDisplayKind(void);
ZVEXPORT double ZVAPI ZVGetTime(void);

/* Beyond the original set: smooth shapes on request. After ZVSetSmooth(window, 1), lines,
 * rectangles, circles, arcs, pies, polygons and polylines are drawn anti-aliased: each pixel
 * is blended towards the colour by the share of its area the shape covers, times the opacity
 * (ZVSetOpacity, 0 transparent to 255 opaque, for the pen and fill of smooth shapes). Lines
 * get round caps and joins at any width. Pixels, text, hatched fills, ZVInvertRectangle and
 * ZVFloodFill stay exact. ZVPolygon and ZVFillPolygon draw the closed polygon through `count`
 * points given as x, y pairs (the fill by the non-zero winding rule); ZVPolylineF draws the
 * open line through fractional points, which the exact mode rounds. */
ZVEXPORT int ZVAPI ZVSetSmooth(int window, int on);
ZVEXPORT int ZVAPI ZVGetSmooth(int window);
ZVEXPORT int ZVAPI ZVSetOpacity(int window, int opacity);
ZVEXPORT int ZVAPI ZVGetOpacity(int window);
ZVEXPORT int ZVAPI ZVPolygon(int window, const int *xy, int count);
ZVEXPORT int ZVAPI ZVFillPolygon(int window, const int *xy, int count);
ZVEXPORT int ZVAPI ZVPolylineF(int window, const float *xy, int count);

#ifdef __cplusplus
}
#endif

#endif /* ZELVAN_H */
