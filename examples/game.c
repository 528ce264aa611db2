/* Game: steer the blue square with the arrow keys, or hold the left button to pull it towards
 * the pointer, and catch the yellow coins.
 *
 *   arrow keys         move; hold them down to keep moving, two at once go diagonally
 *   left button held   the square heads for the pointer
 *   Esc, q, close box  end the game
 *
 * Each frame the game asks which keys are held (ZVIsKeyDown) and where the pointer is
 * (ZVGetMouseX, ZVGetMouseY) instead of reading typed characters, so movement is smooth and
 * several keys work together; ZVReadKey gives the presses of Esc and q, and ZVCloseRequested
 * the close box. Frames are drawn out of view and shown in one call (ZVPresent), fifty times
 * a second (ZVWaitFrame); ZVGetTime times the game. The pointer is hidden over the field
 * (ZVShowCursor), which draws a ring of its own where the pointer is, and the score stands
 * right-aligned, measured with ZVGetTextWidth.
 *
 * Without a screen (ZVGetDisplayKind says "headless") nobody can play: the game steers itself
 * towards the coins for two seconds. At the end it saves the last frame as game.bmp, in the
 * folder named by ZELVAN_PICTURES, or else in the current folder.
 */
#include "zelvan.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { FIELD_WIDTH = 400, FIELD_HEIGHT = 300, SQUARE = 20, STEP = 4, COIN = 6, FPS = 50 };

struct game {
    int window;
    int x, y;           /* the square's top-left corner */
    int coin_x, coin_y; /* the coin's centre */
    int score;
    unsigned int random; /* the state of a small random number generator */
};

/* True when the window is on a screen someone sees; headless it is drawn in memory. */
static int on_desktop(void) {
    return strcmp(ZVGetDisplayKind(), "headless") != 0;
}

/* A number from 0 to limit - 1; the same sequence every run, so the picture is the same. */
static int random_below(struct game *g, int limit) {
    g->random = g->random * 1103515245u + 12345u;
    return (int)((g->random >> 16) % (unsigned int)limit);
}

static void place_coin(struct game *g) {
    g->coin_x = COIN + random_below(g, FIELD_WIDTH - 2 * COIN);
    g->coin_y = 30 + random_below(g, FIELD_HEIGHT - 30 - COIN);
}

/* Moves the square one step along dx and dy (each -1, 0 or 1), keeping it in the window. */
static void move(struct game *g, int dx, int dy) {
    g->x += dx * STEP;
    g->y += dy * STEP;
    if (g->x < 0) g->x = 0;
    if (g->y < 0) g->y = 0;
    if (g->x > FIELD_WIDTH - SQUARE) g->x = FIELD_WIDTH - SQUARE;
    if (g->y > FIELD_HEIGHT - SQUARE) g->y = FIELD_HEIGHT - SQUARE;
    if (g->coin_x >= g->x - COIN && g->coin_x < g->x + SQUARE + COIN && g->coin_y >= g->y - COIN &&
        g->coin_y < g->y + SQUARE + COIN) {
        ++g->score;
        place_coin(g);
    }
}

static void draw_frame(const struct game *g) {
    int w = g->window, pointer_x = ZVGetMouseX(w), pointer_y = ZVGetMouseY(w);
    char text[40];
    ZVClearDrawBuffer(w);
    ZVSetForeground(w, ZVGetRGBColour(0, 0, 0));
    ZVSetFillColour(w, ZVGetRGBColour(240, 200, 0));
    ZVFillCircle(w, g->coin_x, g->coin_y, COIN);
    ZVSetFillColour(w, ZVGetRGBColour(40, 120, 220));
    ZVFillRectangle(w, g->x, g->y, g->x + SQUARE, g->y + SQUARE);
    /* The system's pointer is hidden over the field: a ring marks where it is. */
    if (pointer_x >= 0 && pointer_y >= 0) {
        ZVSetForeground(w, ZVGetRGBColour(200, 200, 200));
        ZVCircle(w, pointer_x, pointer_y, 5);
    }
    /* The score's right edge stays 8 pixels from the window's, however wide it grows. */
    snprintf(text, sizeof text, "coins: %d", g->score);
    ZVSetForeground(w, ZVGetRGBColour(255, 255, 255));
    ZVTextOut(w, FIELD_WIDTH - 8 - ZVGetTextWidth(w, text), 6, text);
}

/* True when Esc or q was pressed, or the close box clicked; says which. */
static int quit_asked(int w) {
    int key;
    while ((key = ZVReadKey(w)) > 0) {
        if (ZV_KEY_CODE(key) == ZV_KEY_ESCAPE || ZV_KEY_CODE(key) == 'q') {
            printf("%s pressed\n", ZVGetKeyName(key));
            return 1;
        }
    }
    return ZVCloseRequested(w) == 1;
}

static int towards(int from, int to) {
    return from < to ? 1 : from > to ? -1 : 0;
}

static void play(struct game *g) {
    int w = g->window;
    while (!quit_asked(w)) {
        int dx = ZVIsKeyDown(w, ZV_KEY_RIGHT) - ZVIsKeyDown(w, ZV_KEY_LEFT);
        int dy = ZVIsKeyDown(w, ZV_KEY_DOWN) - ZVIsKeyDown(w, ZV_KEY_UP);
        if (ZVGetMouseButtons(w) & ZV_MOUSE_LEFT) {
            dx = towards(g->x + SQUARE / 2, ZVGetMouseX(w));
            dy = towards(g->y + SQUARE / 2, ZVGetMouseY(w));
        }
        move(g, dx, dy);
        draw_frame(g);
        ZVPresent(w);
        ZVWaitFrame(w, FPS);
    }
}

/* No display, no keyboard: two seconds of steering straight at the coin. */
static void play_by_itself(struct game *g) {
    int frame;
    for (frame = 0; frame < 100; ++frame) {
        move(g, towards(g->x + SQUARE / 2, g->coin_x), towards(g->y + SQUARE / 2, g->coin_y));
        draw_frame(g);
        ZVPresent(g->window);
        ZVWaitFrame(g->window, FPS);
    }
}

int main(void) {
    struct game g = {0, (FIELD_WIDTH - SQUARE) / 2, (FIELD_HEIGHT - SQUARE) / 2, 0, 0, 0, 2024u};
    const char *folder = getenv("ZELVAN_PICTURES");
    char picture[1024];
    int saved;
    double started;
    setvbuf(stdout, NULL, _IOLBF, BUFSIZ); /* lines show as printed, piped too */
    g.window = ZVCreateWindow(100, 100, FIELD_WIDTH, FIELD_HEIGHT,
                              "Zelvan game - arrow keys, Esc to quit");
    if (g.window == 0) {
        printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    ZVSetBackground(g.window, ZVGetRGBColour(20, 30, 50));
    ZVSetDoubleBuffer(g.window, 1);
    place_coin(&g);
    started = ZVGetTime();
    if (on_desktop()) {
        ZVShowCursor(g.window, 0);
        play(&g);
    } else {
        play_by_itself(&g);
    }
    /* The frame on view is the last one drawn: ZVSaveImage saves what the window shows. */
    snprintf(picture, sizeof picture, "%s%sgame.bmp", folder != NULL ? folder : "",
             folder != NULL && folder[0] != '\0' ? "/" : "");
    saved = ZVSaveImage(g.window, picture);
    printf("%d coins in %.1f s; save %s: %s\n", g.score, ZVGetTime() - started, picture,
           ZVGetErrorString(saved));
    ZVDestroyWindow(g.window);
    return saved == ZV_OK ? 0 : 1;
}
