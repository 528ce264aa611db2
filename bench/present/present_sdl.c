/* The same frames through SDL2's software window surface: each picture copied into the
 * surface and shown with SDL_UpdateWindowSurface. */
#include "present_frames.h"

#include <SDL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    static uint32_t picture[FRAME_WIDTH * FRAME_HEIGHT];
    int frames = argc > 1 ? atoi(argv[1]) : 220;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window *window =
        SDL_CreateWindow("present-bench sdl", 0, 0, FRAME_WIDTH, FRAME_HEIGHT, SDL_WINDOW_SHOWN);
    SDL_Surface *surface = window ? SDL_GetWindowSurface(window) : NULL;
    if (surface == NULL || surface->format->BytesPerPixel != 4) return 1;
    SDL_UpdateWindowSurface(window);
    Uint32 ready = SDL_GetTicks();
    while (SDL_GetTicks() - ready < 1000) {
        SDL_PumpEvents();
        SDL_Delay(10);
    }
    Uint32 start = SDL_GetTicks();
    fprintf(stderr, "present-bench start\n"); /* marks the loop in a protocol log */
    for (int k = 1; k <= frames; ++k) {
        uint32_t p = frame_pixel(k);
        fill_frame(picture, SDL_MapRGB(surface->format, p >> 16, (p >> 8) & 0xFF, p & 0xFF));
        SDL_LockSurface(surface);
        for (int y = 0; y < FRAME_HEIGHT; ++y)
            memcpy((uint8_t *)surface->pixels + (size_t)y * surface->pitch,
                   picture + (size_t)y * FRAME_WIDTH, FRAME_WIDTH * 4);
        SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(window);
        SDL_PumpEvents();
    }
    Uint32 took = SDL_GetTicks() - start;
    fprintf(stderr, "present-bench end\n");
    printf("sdl: %d frames presented in %u ms\n", frames, took);
    Uint32 end = SDL_GetTicks();
    while (SDL_GetTicks() - end < 2500) {
        SDL_PumpEvents();
        SDL_Delay(10);
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
