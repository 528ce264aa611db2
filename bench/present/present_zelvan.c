/* FRAMES new 1280x720 pictures, each put with ZVPutPixels and shown with ZVPresent. */
#include "present_frames.h"
#include "zelvan.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    static uint32_t picture[FRAME_WIDTH * FRAME_HEIGHT];
    int frames = argc > 1 ? atoi(argv[1]) : 220;
    int w = ZVCreateWindow(0, 0, FRAME_WIDTH, FRAME_HEIGHT, "present-bench zelvan");
    if (w == 0) return 1;
    ZVSetDoubleBuffer(w, 1);
    ZVSetAutoRedraw(w, 0);
    ZVPresent(w);
    while (ZVGetTicks() < 1000) ZVWaitFrame(w, 100); /* the observer finds the window */
    int start = ZVGetTicks();
    fprintf(stderr, "present-bench start\n"); /* marks the loop in a protocol log */
    for (int k = 1; k <= frames; ++k) {
        /* ZVCOLOUR is 0x00BBGGRR: the same bytes the other way round. */
        uint32_t p = frame_pixel(k);
        fill_frame(picture, (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16));
        ZVPutPixels(w, 0, 0, FRAME_WIDTH, FRAME_HEIGHT, picture, FRAME_WIDTH);
        ZVPresent(w);
    }
    int took = ZVGetTicks() - start;
    fprintf(stderr, "present-bench end\n");
    ZVPresent(w); /* the last frame reaches the server */
    printf("zelvan: %d frames presented in %d ms\n", frames, took);
    int end = ZVGetTicks();
    while (ZVGetTicks() - end < 2500) ZVWaitFrame(w, 100); /* the observer sees the end */
    ZVDestroyWindow(w);
    return 0;
}
