/* The frames both programs show: frame k is one colour, red and green bytes holding k and blue
 * 0x80 (see present_observer.c), written into a picture of the program's own first. */
#ifndef ZELVAN_BENCH_PRESENT_FRAMES_H
#define ZELVAN_BENCH_PRESENT_FRAMES_H

#include <stdint.h>

enum { FRAME_WIDTH = 1280, FRAME_HEIGHT = 720 };

/* The pixel as 0x00RRGGBB. */
static inline uint32_t frame_pixel(int k) {
    return (uint32_t)(k & 0xFF) << 16 | (uint32_t)((k >> 8) & 0xFF) << 8 | 0x80u;
}

static inline void fill_frame(uint32_t *picture, uint32_t pixel) {
    for (int i = 0; i < FRAME_WIDTH * FRAME_HEIGHT; ++i) picture[i] = pixel;
}

#endif
