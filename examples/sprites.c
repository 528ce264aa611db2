/* Sprites: three balls with soft edges and a see-through shadow glide over a striped scene,
 * pasted each frame by their alpha with ZVPasteBitmapAlpha.
 *
 *   sprites [frames]    120 frames unless told otherwise; Esc or the close box ends early
 *
 * The ball is a PNG file with alpha, which the example writes itself (sprites-ball.png) so
 * that it needs nothing beside it; any RGBA PNG would do. At the end it saves the last frame
 * as sprites.bmp, in the folder named by ZELVAN_PICTURES, or else in the current folder.
 */
#include "zelvan.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { WIDTH = 480, HEIGHT = 320, BALL = 64 };

/* ---- A minimal PNG writer: RGBA rows in deflate's "stored" blocks, no compression ---- */

static unsigned long crc_of(const unsigned char *bytes, size_t n, unsigned long crc) {
    size_t i;
    int k;
    crc ^= 0xFFFFFFFFul;
    for (i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320ul : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFul;
}

static void put_be32(unsigned char *at, unsigned long v) {
    at[0] = (unsigned char)(v >> 24), at[1] = (unsigned char)(v >> 16);
    at[2] = (unsigned char)(v >> 8), at[3] = (unsigned char)v;
}

static void write_chunk(FILE *f, const char *kind, const unsigned char *data, size_t n) {
    unsigned char head[8], tail[4];
    unsigned long crc = crc_of((const unsigned char *)kind, 4, 0);
    put_be32(head, (unsigned long)n);
    memcpy(head + 4, kind, 4);
    crc = crc_of(data, n, crc);
    put_be32(tail, crc);
    fwrite(head, 1, 8, f);
    if (n != 0) fwrite(data, 1, n, f); /* the end chunk has no data, and no buffer */
    fwrite(tail, 1, 4, f);
}

/* Writes `side` x `side` pixels of RGBA (4 bytes each, rows from the top) as a PNG file. */
static int write_rgba_png(const char *name, const unsigned char *rgba, int side) {
    size_t row = (size_t)side * 4 + 1, raw_bytes = row * side, at = 0, i;
    size_t zlib_bytes = 2 + raw_bytes + 5 * ((raw_bytes + 65534) / 65535) + 4;
    unsigned char *raw = malloc(raw_bytes), *z = malloc(zlib_bytes), ihdr[13];
    unsigned long a = 1, b = 0;
    FILE *f = fopen(name, "wb");
    if (!raw || !z || !f) {
        free(raw), free(z);
        if (f) fclose(f);
        return 0;
    }
    for (i = 0; i < (size_t)side; ++i) {
        raw[i * row] = 0; /* no filter */
        memcpy(raw + i * row + 1, rgba + i * side * 4, (size_t)side * 4);
    }
    z[at++] = 0x78, z[at++] = 0x01;
    for (i = 0; i < raw_bytes; i += 65535) {
        size_t n = raw_bytes - i < 65535 ? raw_bytes - i : 65535;
        z[at++] = i + n == raw_bytes; /* the last block says so */
        z[at++] = (unsigned char)n, z[at++] = (unsigned char)(n >> 8);
        z[at++] = (unsigned char)~n, z[at++] = (unsigned char)(~n >> 8);
        memcpy(z + at, raw + i, n);
        at += n;
    }
    for (i = 0; i < raw_bytes; ++i) a = (a + raw[i]) % 65521, b = (b + a) % 65521;
    put_be32(z + at, b << 16 | a);
    at += 4;
    put_be32(ihdr, (unsigned long)side), put_be32(ihdr + 4, (unsigned long)side);
    ihdr[8] = 8, ihdr[9] = 6, ihdr[10] = ihdr[11] = ihdr[12] = 0; /* 8-bit RGBA */
    fwrite("\x89PNG\r\n\x1a\n", 1, 8, f);
    write_chunk(f, "IHDR", ihdr, 13);
    write_chunk(f, "IDAT", z, at);
    write_chunk(f, "IEND", NULL, 0);
    free(raw), free(z);
    return fclose(f) == 0;
}

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
    if (!write_rgba_png("sprites-ball.png", rgba, BALL)) {
        printf("cannot write sprites-ball.png\n");
        return 1;
    }
    ball = ZVLoadBitmap("sprites-ball.png");
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
