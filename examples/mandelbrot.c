/* Mandelbrot: a zoom into the Mandelbrot set, each frame computed into an array of colours
 * and written to the window with one ZVPutPixels call, then shown (double buffering). It
 * prints the frames per second and how much of each frame went into ZVPutPixels.
 *
 *   mandelbrot [frames]    40 frames unless told otherwise; Esc or the close box ends early
 *
 * At the end it saves the last frame as mandelbrot.bmp, in the folder named by
 * ZELVAN_PICTURES, or else in the current folder.
 */
#if !defined(_WIN32) && !defined(_POSIX_C_SOURCE)
#define _POSIX_C_SOURCE 199309L /* clock_gettime */
#endif

#include "zelvan.h"

#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
static double seconds_now(void) {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return (double)count.QuadPart / (double)frequency.QuadPart;
}
#else
#include <time.h>
static double seconds_now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}
#endif

enum { WIDTH = 480, HEIGHT = 360, MAX_STEPS = 150 };

/* The point the zoom closes in on, on the edge of the set, and the zoom per frame. */
static const double centre_x = -0.743643887, centre_y = 0.131825904, zoom_per_frame = 0.96;

/* A colour for a point that escaped after `steps` steps: a smooth run through blue, gold
 * and white; points inside the set are black. */
static ZVCOLOUR colour_for(int steps) {
    int t;
    if (steps >= MAX_STEPS) return 0;
    t = (steps * 8) % 768;
    if (t < 256) return ZVGetRGBColour(t / 4, t / 2, 64 + t * 3 / 4);
    if (t < 512)
        return ZVGetRGBColour(64 + (t - 256) * 3 / 4, 128 + (t - 256) / 4, 255 - (t - 256));
    return ZVGetRGBColour(255 - (t - 512) * 3 / 4, 192 - (t - 512) * 3 / 4, (t - 512) / 2);
}

/* Fills the frame for a view `scale` units of the plane wide, row by row. */
static void compute(ZVCOLOUR *frame, double scale) {
    double step = scale / WIDTH;
    int x, y;
    for (y = 0; y < HEIGHT; ++y) {
        double ci = centre_y + (y - HEIGHT / 2) * step;
        for (x = 0; x < WIDTH; ++x) {
            double cr = centre_x + (x - WIDTH / 2) * step, zr = 0, zi = 0;
            int steps = 0;
            while (steps < MAX_STEPS && zr * zr + zi * zi <= 4.0) {
                double next = zr * zr - zi * zi + cr;
                zi = 2 * zr * zi + ci;
                zr = next;
                ++steps;
            }
            frame[y * WIDTH + x] = colour_for(steps);
        }
    }
}

/* True when Esc was pressed or the close box clicked. */
static int stop_asked(int w) {
    int key;
    while ((key = ZVReadKey(w)) > 0) {
        if (ZV_KEY_CODE(key) == ZV_KEY_ESCAPE) return 1;
    }
    return ZVCloseRequested(w) == 1;
}

int main(int argc, char **argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 40, shown = 0, w, saved;
    double scale = 3.0, started, in_put = 0;
    const char *folder = getenv("ZELVAN_PICTURES");
    char picture[1024];
    ZVCOLOUR *frame = malloc(sizeof(ZVCOLOUR) * WIDTH * HEIGHT);
    setvbuf(stdout, NULL, _IOLBF, BUFSIZ); /* lines show as printed, piped too */
    w = ZVCreateWindow(100, 100, WIDTH, HEIGHT, "Zelvan Mandelbrot - Esc to stop");
    if (w == 0 || frame == NULL) {
        printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w); /* draw into buffer 1 while buffer 0 is on view */
    started = seconds_now();
    while (shown < frames && !stop_asked(w)) {
        double before;
        compute(frame, scale);
        before = seconds_now();
        ZVPutPixels(w, 0, 0, WIDTH, HEIGHT, frame, WIDTH);
        in_put += seconds_now() - before;
        ZVSwitchViewBuffer(w);
        ZVSwitchDrawBuffer(w);
        scale *= zoom_per_frame;
        ++shown;
    }
    if (shown > 0) {
        double elapsed = seconds_now() - started;
        printf("%d frames of %dx%d in %.2f s: %.1f frames per second, %.2f ms a frame in "
               "ZVPutPixels\n",
               shown, WIDTH, HEIGHT, elapsed, shown / elapsed, 1000 * in_put / shown);
    }
    snprintf(picture, sizeof picture, "%s%smandelbrot.bmp", folder != NULL ? folder : "",
             folder != NULL && folder[0] != '\0' ? "/" : "");
    saved = ZVSaveImage(w, picture); /* the frame on view is the last one drawn */
    printf("save %s: %s\n", picture, ZVGetErrorString(saved));
    ZVDestroyWindow(w);
    free(frame);
    return saved == ZV_OK ? 0 : 1;
}
