/* Walk: a figure from a sprite sheet walks, turns and grows over a landscape.
 *
 *   walk [frames]    150 frames unless told otherwise; Esc or the close box ends early
 *
 * Nothing is loaded from files. The sprite sheet, eight frames of a walk cycle side by side,
 * is painted pixel by pixel into R, G, B, A bytes and made a bitmap with ZVCreateBitmap. The
 * landscape is drawn once with the ordinary drawing calls on a canvas (ZVCreateCanvas, a
 * window that is never shown) and turned into a bitmap with ZVCopyBitmap. Each frame pastes
 * the landscape and draws frames of the sheet with ZVDrawBitmap: small walkers crossing the
 * meadow at the nearest pixel, mirrored when they walk left, and a large one in the sky,
 * turning and growing, sampled smoothly (ZV_SMOOTH). At the end it saves the last frame as
 * walk.bmp, in the folder named by ZELVAN_PICTURES, or else in the current folder.
 */
#include "zelvan.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

enum { WIDTH = 480, HEIGHT = 320, FRAME_W = 32, FRAME_H = 48, FRAMES = 8, FPS = 50 };

static const double PI = 3.14159265358979323846;

/* One pixel of straight R, G, B, A. */
struct rgba {
    double r, g, b, a;
};

/* How much of the pixel centred at (x, y) a capsule from (x0, y0) to (x1, y1) of the given
 * radius covers: 1 inside, 0 outside, a ramp one pixel wide at its edge. */
static double capsule(double x, double y, double x0, double y0, double x1, double y1,
                      double radius) {
    double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy, t = 0, d;
    if (length2 > 0) t = ((x - x0) * dx + (y - y0) * dy) / length2;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    d = hypot(x - (x0 + t * dx), y - (y0 + t * dy));
    d = radius + 0.5 - d;
    return d < 0 ? 0 : d > 1 ? 1 : d;
}

/* Lays a colour of the given coverage over a straight-alpha pixel. */
static void lay(struct rgba *p, double r, double g, double b, double cover) {
    double a = cover + p->a * (1 - cover);
    if (a <= 0) return;
    p->r = (r * cover + p->r * p->a * (1 - cover)) / a;
    p->g = (g * cover + p->g * p->a * (1 - cover)) / a;
    p->b = (b * cover + p->b * p->a * (1 - cover)) / a;
    p->a = a;
}

/* Paints frame `f` of the walk cycle into the sheet, whose rows are FRAMES * FRAME_W wide:
 * legs and arms swing against each other, and the body bobs at each step. */
static void paint_frame(unsigned char *sheet, int f) {
    double phase = 2 * PI * f / FRAMES, swing = 0.55 * sin(phase);
    double bob = 1.5 * fabs(cos(phase)), hip_y = 29 - bob, shoulder_y = 17 - bob;
    double leg = 16, arm = 11;
    int x, y;
    for (y = 0; y < FRAME_H; ++y)
        for (x = 0; x < FRAME_W; ++x) {
            struct rgba p = {0, 0, 0, 0};
            double cx = x + 0.5, cy = y + 0.5;
            unsigned char *out = sheet + ((size_t)y * FRAMES * FRAME_W + f * FRAME_W + x) * 4;
            /* Back limbs darker, then the body, then the front limbs and the head. */
            lay(&p, 40, 50, 90,
                capsule(cx, cy, 16, hip_y, 16 - leg * sin(swing), hip_y + leg * cos(swing), 2.2));
            lay(&p, 150, 60, 40,
                capsule(cx, cy, 16, shoulder_y, 16 + arm * sin(swing),
                        shoulder_y + arm * cos(swing), 1.6));
            lay(&p, 220, 80, 50, capsule(cx, cy, 16, shoulder_y - 1, 16, hip_y, 3.4));
            lay(&p, 60, 80, 150,
                capsule(cx, cy, 16, hip_y, 16 + leg * sin(swing), hip_y + leg * cos(swing), 2.2));
            lay(&p, 240, 190, 150,
                capsule(cx, cy, 16, shoulder_y, 16 - arm * sin(swing),
                        shoulder_y + arm * cos(swing), 1.6));
            lay(&p, 240, 190, 150, capsule(cx, cy, 16.5, 9 - bob, 16.5, 9 - bob, 5.5));
            out[0] = (unsigned char)(p.r + 0.5), out[1] = (unsigned char)(p.g + 0.5);
            out[2] = (unsigned char)(p.b + 0.5), out[3] = (unsigned char)(255 * p.a + 0.5);
        }
}

/* A filled shape in one colour, outline included. */
static void fill_colour(int c, ZVCOLOUR colour) {
    ZVSetForeground(c, colour);
    ZVSetFillColour(c, colour);
}

/* The landscape, drawn once on a canvas: a sky in bands, the sun, hills, a meadow, a path. */
static int paint_landscape(void) {
    int c = ZVCreateCanvas(WIDTH, HEIGHT), band, landscape;
    if (c <= 0) return 0;
    for (band = 0; band < 16; ++band) {
        fill_colour(c, ZVGetRGBColour(70 + band * 8, 120 + band * 6, 200 + band * 3));
        ZVFillRectangle(c, 0, band * 15, WIDTH, band * 15 + 15);
    }
    fill_colour(c, ZVGetRGBColour(255, 220, 120));
    ZVFillCircle(c, 400, 60, 28);
    fill_colour(c, ZVGetRGBColour(90, 150, 90));
    ZVFillCircle(c, 90, 330, 150);
    fill_colour(c, ZVGetRGBColour(70, 130, 80));
    ZVFillCircle(c, 380, 360, 170);
    fill_colour(c, ZVGetRGBColour(110, 170, 80));
    ZVFillRectangle(c, 0, 235, WIDTH, HEIGHT);
    fill_colour(c, ZVGetRGBColour(200, 180, 130));
    ZVFillRectangle(c, 0, 262, WIDTH, 282);
    ZVSetForeground(c, ZVGetRGBColour(255, 255, 255));
    ZVSetFont(c, 18, 0.0, "Sans");
    ZVTextOut(c, 12, 10, "A walk made in memory");
    landscape = ZVCopyBitmap(c, 0, 0, WIDTH, HEIGHT);
    ZVDestroyWindow(c);
    return landscape;
}

int main(int argc, char **argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 150, t, i, w, sheet, landscape, result;
    const char *folder = getenv("ZELVAN_PICTURES");
    char picture[1024];
    unsigned char *pixels = malloc((size_t)FRAMES * FRAME_W * FRAME_H * 4);
    if (!pixels) return 1;
    for (i = 0; i < FRAMES; ++i) paint_frame(pixels, i);
    sheet = ZVCreateBitmap(FRAMES * FRAME_W, FRAME_H, pixels, 0);
    free(pixels);
    landscape = paint_landscape();
    w = ZVCreateWindow(100, 100, WIDTH, HEIGHT, "Zelvan walk");
    if (!sheet || !landscape || w <= 0) {
        printf("cannot start: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    ZVSetDoubleBuffer(w, 1);
    for (t = 0; t < frames && !ZVCloseRequested(w); ++t) {
        ZVPasteBitmap(w, landscape, 0, 0);
        for (i = 0; i < 3; ++i) { /* walkers on the path, the middle one walking left */
            int left = i == 1, step = (t + i * 3) % FRAMES;
            int x = left ? WIDTH - (t * 2 + i * 150) % (WIDTH + 48)
                         : (t * 2 + i * 150) % (WIDTH + 48) - 48;
            ZVDrawBitmap(w, sheet, step * FRAME_W, 0, FRAME_W, FRAME_H, x, 214 + i * 6, 48, 72, 0.0,
                         left ? ZV_FLIP_X : 0);
        }
        { /* the giant in the sky: walking on the spot, turning, growing and shrinking */
            double scale = 2.6 + 0.8 * sin(t * 0.05);
            int width = (int)(FRAME_W * scale), height = (int)(FRAME_H * scale);
            ZVDrawBitmap(w, sheet, t / 3 % FRAMES * FRAME_W, 0, FRAME_W, FRAME_H, 230 - width / 2,
                         120 - height / 2, width, height, t * 2.0, ZV_SMOOTH);
        }
        ZVPresent(w);
        ZVWaitFrame(w, FPS);
        if (ZVReadKey(w) == ZV_KEY_ESCAPE) break;
    }
    snprintf(picture, sizeof picture, "%s%swalk.bmp", folder ? folder : "",
             folder && folder[0] ? "/" : "");
    result = ZVSaveImage(w, picture); /* the frame on view is the last one drawn */
    printf("save %s: %s\n", picture, ZVGetErrorString(result));
    ZVDiscardBitmap(sheet);
    ZVDiscardBitmap(landscape);
    ZVDestroyWindow(w);
    return result == ZV_OK ? 0 : 1;
}
