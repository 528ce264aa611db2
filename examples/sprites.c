/* Sprites: three balls with soft edges and a see-through shadow glide over a striped scene,
 * pasted each frame by their alpha with ZVPasteBitmapAlpha.
 *
 *   sprites [frames]    120 frames unless told otherwise; Esc or the close box ends early
 *
 * The ball is made in memory from R, G, B, A bytes with ZVCreateBitmap, so the example needs
 * nothing beside it; a PNG with alpha loaded by ZVLoadBitmap pastes the same way. At the end
 * it saves the last frame as sprites.bmp, in the folder named by ZELVAN_PICTURES, or else in
 * the current folder.
 */
#include "zelvan.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

enum { WIDTH = 480, HEIGHT = 320, BALL = 64 };

/* A shaded ball with a soft rim, and a half-transparent shadow at its lower right. */
static void paint_ball(unsigned char *rgba) {
    int x, y;
    for (y = 0; y < BALL; ++y)
        for (x = 0; x < BALL; ++x) {
            unsigned char *p = rgba + (y * BALL + x) * 4;
            double r = hypot(x - 28.0, y - 28.0), s = hypot(x - 36.0, y - 38.0);
            double light = 1.0 - hypot(x - 20.0, y - 18.0) / 48.0;
            if (r < 26.5) {
                double edge = r > 25.5 ? 26.5 - r : 1.0;
                p[0] = (unsigned char)(90 + 165 * light), p[1] = (unsigned char)(40 + 120 * light);
                p[2] = (unsigned char)(20 + 60 * light), p[3] = (unsigned char)(255 * edge);
            } else if (s < 26) {
                p[0] = p[1] = p[2] = 0, p[3] = (unsigned char)(96 * (1 - s / 26));
            } else {
                p[0] = p[1] = p[2] = p[3] = 0;
            }
        }
}

/* The scene: diagonal stripes of two blues, made once and put back every frame. */
static void paint_scene(ZVCOLOUR *scene) {
    int x, y;
    for (y = 0; y < HEIGHT; ++y)
        for (x = 0; x < WIDTH; ++x)
            scene[y * WIDTH + x] =
                (x + y) / 24 % 2 ? ZVGetRGBColour(40, 90, 160) : ZVGetRGBColour(70, 130, 200);
}

int main(int argc, char **argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 120, frame, i, w, ball;
    const char *folder = getenv("ZELVAN_PICTURES");
    char picture[1024];
    unsigned char *rgba = malloc(BALL * BALL * 4);
    ZVCOLOUR *scene = malloc(sizeof(ZVCOLOUR) * WIDTH * HEIGHT);
    if (!rgba || !scene) return 1;
    paint_ball(rgba);
    ball = ZVCreateBitmap(BALL, BALL, rgba, 0);
    w = ZVCreateWindow(100, 100, WIDTH, HEIGHT, "Zelvan sprites");
    if (!ball || w <= 0) {
        printf("cannot start: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    paint_scene(scene);
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w); /* draw into buffer 1 while buffer 0 is on view */
    for (frame = 0; frame < frames && !ZVCloseRequested(w); ++frame) {
        ZVPutPixels(w, 0, 0, WIDTH, HEIGHT, scene, WIDTH);
        for (i = 0; i < 3; ++i) { /* three balls on Lissajous paths, partly off the edges */
            double t = frame * 0.03 + i * 2.1;
            int x = (int)(WIDTH / 2 - BALL / 2 + (WIDTH / 2 + 10) * sin(t * (1 + 0.3 * i)));
            int y = (int)(HEIGHT / 2 - BALL / 2 + (HEIGHT / 2 - 20) * cos(t * 1.7));
            ZVPasteBitmapAlpha(w, ball, x, y);
        }
        ZVSwitchViewBuffer(w);
        ZVSwitchDrawBuffer(w);
        if (ZVReadKey(w) == ZV_KEY_ESCAPE) break;
    }
    snprintf(picture, sizeof picture, "%s%ssprites.bmp", folder ? folder : "",
             folder && folder[0] ? "/" : "");
    frame = ZVSaveImage(w, picture); /* the frame on view is the last one drawn */
    printf("save %s: %s\n", picture, ZVGetErrorString(frame));
    ZVDiscardBitmap(ball);
    ZVDestroyWindow(w);
    free(rgba), free(scene);
    return frame == ZV_OK ? 0 : 1;
}
