/* Plot: sin x and cos x over one turn, with the area under each curve filled, a grid and a
 * legend box, drawn twice with the same calls: in the left window pixel-exact, as every
 * window draws by default, and in the right one smooth (ZVSetSmooth), where the curves are
 * anti-aliased and the filled areas translucent (ZVSetOpacity), so that both show through.
 * Esc or the close box of either window ends it.
 *
 * Without a display it draws, saves and ends. It saves the two windows as plot-exact.bmp and
 * plot-smooth.bmp, in the folder named by ZELVAN_PICTURES, or else in the current folder.
 */
#include "zelvan.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define WIDTH 360
#define HEIGHT 240
#define POINTS 121

static const double pi = 3.14159265358979323846;

/* Where the plot's axes lie: x from 0 to 2 pi across [LEFT, RIGHT], y from -1.2 to 1.2 down
 * [TOP, BOTTOM]. */
#define LEFT 40
#define RIGHT 340
#define TOP 20
#define BOTTOM 220

static double plot_x(double x) {
    return LEFT + (RIGHT - LEFT) * x / (2 * pi);
}

static double plot_y(double y) {
    return (TOP + BOTTOM) / 2.0 - (BOTTOM - TOP) / 2.4 * y;
}

/* The curve of sin x (or cos x) as POINTS fractional points, and the polygon of the area
 * between it and the x axis. */
static void curve(int cosine, float *line, int *area) {
    int i;
    for (i = 0; i < POINTS; ++i) {
        double x = 2 * pi * i / (POINTS - 1), y = cosine ? cos(x) : sin(x);
        line[2 * i] = (float)plot_x(x);
        line[2 * i + 1] = (float)plot_y(y);
        area[2 * i] = (int)lround(line[2 * i]);
        area[2 * i + 1] = (int)lround(line[2 * i + 1]);
    }
    /* Down to the axis at the right end, along it back to the left end. */
    area[2 * POINTS] = RIGHT;
    area[2 * POINTS + 1] = (int)lround(plot_y(0));
    area[2 * POINTS + 2] = LEFT;
    area[2 * POINTS + 3] = (int)lround(plot_y(0));
}

static void draw_plot(int w, int smooth) {
    static float line[2 * POINTS];
    static int area[2 * POINTS + 4];
    const ZVCOLOUR blue = ZVGetRGBColour(30, 90, 210), orange = ZVGetRGBColour(230, 110, 20);
    int i;
    ZVSetBackground(w, ZVGetRGBColour(255, 255, 255));
    ZVClearDrawBuffer(w);
    ZVSetSmooth(w, smooth);

    /* The grid: a light line every quarter turn and every half unit. */
    ZVSetForeground(w, ZVGetRGBColour(220, 220, 225));
    for (i = 0; i <= 8; ++i) {
        ZVMoveTo(w, (int)lround(plot_x(i * pi / 4)), TOP);
        ZVLine(w, (int)lround(plot_x(i * pi / 4)), BOTTOM);
    }
    for (i = -2; i <= 2; ++i) {
        ZVMoveTo(w, LEFT, (int)lround(plot_y(i * 0.5)));
        ZVLine(w, RIGHT, (int)lround(plot_y(i * 0.5)));
    }
    ZVSetForeground(w, ZVGetRGBColour(60, 60, 60));
    ZVMoveTo(w, LEFT, (int)lround(plot_y(0)));
    ZVLine(w, RIGHT, (int)lround(plot_y(0)));
    ZVMoveTo(w, LEFT, TOP);
    ZVLine(w, LEFT, BOTTOM);
    ZVSetFont(w, 12, 0.0, "DejaVu Sans");
    ZVTextOut(w, 8, (int)lround(plot_y(1)) - 7, "1");
    ZVTextOut(w, 6, (int)lround(plot_y(-1)) - 7, "-1");
    ZVTextOut(w, (int)lround(plot_x(pi)) - 4, BOTTOM + 2, "\xcf\x80"); /* pi, in UTF-8 */
    ZVTextOut(w, (int)lround(plot_x(2 * pi)) - 10, BOTTOM + 2, "2\xcf\x80");

    /* The areas under the curves, without an outline, then the curves over them. In smooth
     * mode the areas are translucent: where they overlap, both colours show. */
    ZVSetLineStyle(w, ZV_LINE_INVISIBLE);
    ZVSetOpacity(w, 70);
    for (i = 0; i < 2; ++i) {
        curve(i, line, area);
        ZVSetFillColour(w, i ? orange : blue);
        ZVFillPolygon(w, area, POINTS + 2);
    }
    ZVSetOpacity(w, 255);
    ZVSetLineStyle(w, ZV_LINE_SOLID);
    ZVSetLineWidth(w, 2);
    for (i = 0; i < 2; ++i) {
        curve(i, line, area);
        ZVSetForeground(w, i ? orange : blue);
        ZVPolylineF(w, line, POINTS);
    }

    /* The legend: a box, half see-through in smooth mode, with a sample of each line. */
    ZVSetLineWidth(w, 1);
    ZVSetForeground(w, ZVGetRGBColour(120, 120, 120));
    ZVSetFillColour(w, ZVGetRGBColour(255, 255, 255));
    ZVSetOpacity(w, 200);
    ZVFillRectangle(w, 252, 26, 334, 72);
    ZVSetOpacity(w, 255);
    ZVSetLineWidth(w, 2);
    for (i = 0; i < 2; ++i) {
        int y = 38 + 22 * i;
        ZVSetForeground(w, i ? orange : blue);
        ZVMoveTo(w, 260, y);
        ZVLine(w, 285, y);
        ZVSetForeground(w, ZVGetRGBColour(0, 0, 0));
        ZVTextOut(w, 292, y - 8, i ? "cos x" : "sin x");
    }
    ZVSetLineWidth(w, 1);
}

/* True when a person can see the windows and close them; without a display the example
 * draws, saves and ends alone. */
static int on_desktop(void) {
#ifdef _WIN32
    return 1;
#else
    const char *display = getenv("DISPLAY");
    return display != NULL && display[0] != '\0';
#endif
}

static int stop_asked(int w) {
    int key;
    while ((key = ZVReadKey(w)) > 0)
        if (ZV_KEY_CODE(key) == ZV_KEY_ESCAPE) return 1;
    return ZVCloseRequested(w) == 1;
}

static int save(int w, const char *name) {
    const char *folder = getenv("ZELVAN_PICTURES");
    char picture[1024];
    int saved;
    snprintf(picture, sizeof picture, "%s%s%s", folder != NULL ? folder : "",
             folder != NULL && folder[0] != '\0' ? "/" : "", name);
    saved = ZVSaveImage(w, picture);
    printf("%s: %s\n", picture, ZVGetErrorString(saved));
    return saved;
}

int main(void) {
    int exact = ZVCreateWindow(40, 100, WIDTH, HEIGHT, "Zelvan plot - exact");
    int smooth = ZVCreateWindow(60 + WIDTH, 100, WIDTH, HEIGHT, "Zelvan plot - smooth");
    int saved;
    setvbuf(stdout, NULL, _IOLBF, BUFSIZ); /* lines show as printed, piped too */
    if (exact == 0 || smooth == 0) {
        printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    draw_plot(exact, 0);
    draw_plot(smooth, 1);
    if (on_desktop()) {
        while (!stop_asked(exact) && !stop_asked(smooth)) ZVWaitFrame(smooth, 30);
    }
    saved = save(exact, "plot-exact.bmp");
    if (saved == ZV_OK) saved = save(smooth, "plot-smooth.bmp");
    ZVDestroyWindow(exact);
    ZVDestroyWindow(smooth);
    return saved == ZV_OK ? 0 : 1;
}
