// Animation: balls bouncing at a steady 50 frames a second, without flicker.
//
// The trick is double buffering: each frame is drawn into the buffer that is not on view,
// then shown in one step, so the window never shows a half-drawn frame. The frame clock
// waits for a fixed time *from the start*, not a fixed pause after each frame, so slow frames
// do not make the animation drift.
//
// On a desktop it runs until you press q (or Esc) in the window; without a display it runs
// for two seconds (100 frames). At the end it saves the last frame as animation.bmp, in the
// folder named by ZELVAN_PICTURES, or else in the current folder.
#include "zelvan.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using frame_clock = std::chrono::steady_clock;

static const int width = 400, height = 300;
static const int frames_per_second = 50;

// One ball: where it is, how far it moves per frame, how big and what colour it is.
struct Ball {
    double x, y, dx, dy;
    int radius;
    ZVCOLOUR colour;
};

// True when the windows are on a screen someone sees; headless they are drawn in memory.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

// Moves a ball one frame on, bouncing off the window's edges.
static void move(Ball &ball) {
    ball.x += ball.dx;
    ball.y += ball.dy;
    if (ball.x < ball.radius || ball.x > width - ball.radius) ball.dx = -ball.dx;
    if (ball.y < ball.radius || ball.y > height - ball.radius) ball.dy = -ball.dy;
}

// Draws one whole frame into the draw buffer, which is not the one on view.
static void draw_frame(int w, const Ball *balls, int count, int frame) {
    ZVClearDrawBuffer(w); // the background colour, set once in main
    ZVSetForeground(w, ZVGetRGBColour(0, 0, 0));
    for (int i = 0; i < count; ++i) {
        ZVSetFillColour(w, balls[i].colour);
        ZVFillCircle(w, (int)balls[i].x, (int)balls[i].y, balls[i].radius);
    }
    char text[40];
    std::snprintf(text, sizeof text, "frame %d", frame);
    ZVSetForeground(w, ZVGetRGBColour(255, 255, 255));
    ZVTextOut(w, 8, 6, text);
}

// True once q or Esc has been typed into the window.
static bool quit_pressed(int w) {
    while (ZV_kbhit(w) == 1) {
        char key = ZVReadChar(w);
        if (key == 'q' || key == 'Q' || key == 27) return true;
    }
    return false;
}

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    int w = ZVCreateWindow(100, 100, width, height, "Zelvan animation - press q to quit");
    if (w == 0) {
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }
    Ball balls[] = {{60, 50, 3.0, 2.0, 24, ZVGetRGBColour(240, 150, 20)},
                    {300, 200, -2.5, 3.5, 32, ZVGetRGBColour(40, 160, 60)},
                    {200, 120, 4.0, -1.5, 16, ZVGetRGBColour(220, 40, 40)},
                    {120, 220, -3.5, -3.0, 20, ZVGetRGBColour(90, 140, 255)}};
    const int ball_count = sizeof balls / sizeof balls[0];

    ZVSetBackground(w, ZVGetRGBColour(20, 30, 60));
    ZVSetFont(w, 10, 0.0, "DejaVu Sans Mono");
    // Two buffers: buffer 0 stays on view while we draw the first frame into buffer 1.
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w);

    const bool desktop = on_desktop();
    const int last_frame = desktop ? -1 : 2 * frames_per_second; // -1: until q is pressed
    const auto frame_time = std::chrono::microseconds(1000000 / frames_per_second);
    const auto start = frame_clock::now();
    int frame = 0;
    while (frame != last_frame && !(desktop && quit_pressed(w))) {
        draw_frame(w, balls, ball_count, frame);
        ZVSwitchViewBuffer(w); // show the finished frame at once ...
        ZVSwitchDrawBuffer(w); // ... and draw the next one into the other buffer
        for (Ball &ball : balls) move(ball);
        ++frame;
        // Sleep until the moment the next frame is due, counted from the start.
        std::this_thread::sleep_until(start + frame * frame_time);
    }
    double seconds = std::chrono::duration<double>(frame_clock::now() - start).count();
    std::printf("%d frames in %.2f s: %.1f frames a second\n", frame, seconds, frame / seconds);

    // ZVSaveImage writes the buffer on view: the last frame shown.
    std::string picture = picture_path("animation.bmp");
    int saved = ZVSaveImage(w, picture.c_str());
    std::printf("%s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    ZVDestroyWindow(w);
    return saved == ZV_OK ? 0 : 1;
}
