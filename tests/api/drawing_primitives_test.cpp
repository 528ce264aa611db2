// Drawing primitives beyond what the golden scenes show: results, the current position,
// angles that are not numbers and values that would overflow.
#include "drawing_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <limits>
#include <thread>

namespace {

int open_window(int width = 200, int height = 200) {
    return ZVCreateWindow(20, 20, width, height, "primitives");
}

// The picture a fresh window gets from `draw`.
template <typename Draw> picture drawn_alone(Draw draw) {
    int w = open_window();
    draw(w);
    picture p(w);
    ZVDestroyWindow(w);
    return p;
}

const float k_inf = std::numeric_limits<float>::infinity();
const float k_nan = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(Primitives, ResultsAndThePosition) {
    int w = open_window();
    EXPECT_EQ(ZVMoveTo(w, 10, 10), ZV_OK);
    EXPECT_EQ(ZVLine(w, 20, 10), ZV_OK);
    EXPECT_EQ(ZVPlot(w, 5, 6), ZV_OK);
    EXPECT_EQ(ZVCircle(w, 50, 50, 10) + ZVFillCircle(w, 50, 50, 5), 2 * ZV_OK);
    EXPECT_EQ(ZVRectangle(w, 1, 1, 3, 3) + ZVFillRectangle(w, 1, 1, 3, 3), 2 * ZV_OK);
    EXPECT_EQ(ZVInvertRectangle(w, -5, -5, 500, 500), ZV_OK) << "clipped, still a success";
    EXPECT_EQ(ZVCircle(w, -500, -500, 3), ZV_OK);
    EXPECT_EQ(ZVGetCurXPos(w) * 1000 + ZVGetCurYPos(w), 5006) << "set by the plot";
    EXPECT_EQ(ZVGetPixel(w, 199, 199), k_black);
    EXPECT_EQ(ZVGetPixel(w, 200, 0), CLR_INVALID);
    EXPECT_EQ(ZVSetPixel(w, 3, 3, 0x12345678), 0x00345678u);
    EXPECT_EQ(ZVSetPixel(w, -1, -1, k_red), 0xFFFFFFFFu);
    EXPECT_EQ(ZVSetPixelFast(w, 4, 3, 0xFF00FF00), ZV_OK);
    EXPECT_EQ(ZVSetPixelFast(w, 200, 200, k_green), ZV_ERROR);
    EXPECT_EQ(ZVGetPixel(w, 4, 3), k_green);
    // A position may look like an error code: the getters clear the last error.
    ZVMoveTo(w, ZV_ERR_BAD_WINDOW, 7);
    ZVIsWindow(0);
    EXPECT_EQ(ZVGetCurXPos(w), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
    // Outside the buffer a plot is clipped away; the position still moves.
    EXPECT_EQ(ZVPlot(w, -50, 300), ZV_OK);
    EXPECT_EQ(ZVGetCurXPos(w) * 1000 + ZVGetCurYPos(w), -50 * 1000 + 300);
}

TEST(Primitives, FloodFillResults) {
    int w = open_window();
    ZVCircle(w, 100, 100, 40);
    picture outline(w);
    EXPECT_EQ(ZVFloodFill(w, 100, 60, k_black), ZV_ERROR) << "the seed is on the border";
    EXPECT_EQ(ZVFloodFill(w, -1, 100, k_black), ZV_ERROR) << "the seed is outside";
    EXPECT_EQ(picture(w), outline);
    EXPECT_EQ(ZVFloodFill(w, 100, 100, 0xFF000000), ZV_OK) << "the top byte is dropped";
    EXPECT_EQ(ZVGetPixel(w, 70, 100), k_black);
    EXPECT_EQ(ZVGetPixel(w, 10, 10), k_white);
}

// Every sweep of a full turn or more (by the float's bits) and every sweep with no finite end
// makes the radials coincide: the whole ellipse. A start that is not a number reads as 0.
TEST(Primitives, ArcAnglesThatAreNotOrdinary) {
    picture full = drawn_alone([](int w) { EXPECT_EQ(ZVArc(w, 100, 100, 50, 33, 0), ZV_OK); });
    EXPECT_GT(full.count(k_black, 0, 0, 100, 100) * full.count(k_black, 100, 100, 200, 200), 0);
    for (float sweep : {360.0f, 720.0f, 1e30f, k_inf, -k_inf, k_nan, -k_nan})
        EXPECT_EQ(drawn_alone([&](int w) { ZVArc(w, 100, 100, 50, 33, sweep); }), full) << sweep;
    picture quarter = drawn_alone([](int w) { ZVArc(w, 100, 100, 50, 0, 90); });
    EXPECT_EQ(quarter.count(k_black, 0, 0, 97, 200), 0) << "not a full circle";
    for (float start : {k_nan, k_inf, -k_inf})
        EXPECT_EQ(drawn_alone([&](int w) { ZVPie(w, 100, 100, 50, start, 90); }),
                  drawn_alone([](int w) { ZVPie(w, 100, 100, 50, 0, 90); }))
            << start;
}

// Nothing is refused and nothing reaches outside the buffer. Each call of the second group
// would wrap around into a shape over the window if xc + r, xc - r or x + 1 were worked out
// in 32 bits; saturated, they all lie far outside.
TEST(Primitives, HugeValuesAreClippedWithoutWrappingAround) {
    int w = open_window(64, 48);
    EXPECT_EQ(ZVFillCircle(w, 0, 0, 2000000000), ZV_OK);
    EXPECT_EQ(picture(w).count(k_black), 64 * 48) << "the window lies inside the circle";
    ZVClearDrawBuffer(w);
    EXPECT_EQ(ZVFillCircle(w, INT_MAX, 10, INT_MAX - 1000), ZV_OK);
    EXPECT_EQ(ZVCircle(w, INT_MIN, INT_MIN, INT_MAX), ZV_OK);
    EXPECT_EQ(ZVArc(w, INT_MAX, INT_MAX, INT_MAX, 10, 300), ZV_OK);
    EXPECT_EQ(ZVPie(w, INT_MIN, 0, INT_MAX, 10, 300), ZV_OK);
    EXPECT_EQ(ZVInvertRectangle(w, INT_MAX, INT_MAX, INT_MAX, INT_MAX), ZV_OK);
    EXPECT_EQ(ZVPlot(w, INT_MAX, 0), ZV_OK);
    EXPECT_EQ(picture(w).count(k_white), 64 * 48);

    EXPECT_EQ(ZVFillCircle(w, 30, 20, -2000000000), ZV_OK);
    EXPECT_EQ(ZVFillRectangle(w, INT_MIN, INT_MIN, INT_MAX, INT_MAX), ZV_OK);
    EXPECT_EQ(ZVInvertRectangle(w, INT_MIN, INT_MIN, INT_MAX, INT_MAX), ZV_OK);
    EXPECT_EQ(picture(w).count(k_white), 64 * 48) << "black all over, then inverted";
    ZVMoveTo(w, INT_MIN, INT_MIN);
    EXPECT_EQ(ZVLine(w, INT_MAX, INT_MAX), ZV_OK);
    EXPECT_EQ(ZVFloodFill(w, INT_MIN, INT_MAX, k_black), ZV_ERROR);
    EXPECT_EQ(ZVPie(w, 30, 20, 40, 3.0e38f, -3.0e38f), ZV_OK);
    for (int width : {2000000000, INT_MIN}) {
        ZVSetLineWidth(w, width);
        EXPECT_EQ(ZVLine(w, 20, 20), ZV_OK);
        EXPECT_EQ(ZVCircle(w, 30, 20, 1000), ZV_OK);
    }
}

// Small shapes at the ends of the int range: their outline is mirrored about the box, and
// the mirror sums must not overflow (the sanitizer build catches it).
TEST(Primitives, SmallShapesAtTheLimitsOfIntStayOffTheSurface) {
    int w = open_window(40, 30);
    EXPECT_EQ(ZVCircle(w, 10, INT_MIN + 150, 100), ZV_OK);
    EXPECT_EQ(ZVFillCircle(w, INT_MAX - 150, 10, 100), ZV_OK);
    EXPECT_EQ(ZVArc(w, INT_MIN + 150, INT_MAX - 150, 100, 0, 270), ZV_OK);
    EXPECT_EQ(picture(w).count(k_white), 40 * 30);
}

// A pen far wider than the window turns every join into a cap over the whole surface;
// drawing a long outline with it must finish and paint every pixel once, not hang.
TEST(Primitives, APenWiderThanTheWindowCoversItAndFinishes) {
    int w = open_window(40, 30);
    ZVSetLineWidth(w, 20000000);
    EXPECT_EQ(ZVPie(w, 20, 15, 30000, 10, 300), ZV_OK);
    EXPECT_EQ(picture(w).count(k_black), 40 * 30);
}

// Every drawing, attribute and buffer call on a window that is gone.
TEST(Primitives, ClosedWindowGivesEachCallsFailureValue) {
    int w = open_window();
    ZVDestroyWindow(w);
    const int bad = ZV_ERR_BAD_WINDOW;
    EXPECT_EQ(ZVSetPixel(w, 1, 1, 0), ZV_BAD_COLOUR);
    EXPECT_EQ(ZVGetLastError(), bad);
    EXPECT_EQ(ZVSetPixelFast(w, 1, 1, 0), static_cast<int>(ZV_BAD_COLOUR));
    EXPECT_EQ(ZVGetPixel(w, 1, 1), ZV_BAD_COLOUR);
    EXPECT_EQ(ZVGetBackground(w), ZV_BAD_COLOUR);
    EXPECT_EQ(ZVGetFillColour(w), ZV_BAD_COLOUR);
    EXPECT_EQ(ZVGetForeground(w), static_cast<ZVCOLOUR>(bad));
    EXPECT_EQ(ZVGetLineWidth(w), ZV_ERROR);
    for (int result : {ZVPlot(w, 1, 1),
                       ZVMoveTo(w, 1, 1),
                       ZVLine(w, 1, 1),
                       ZVGetCurXPos(w),
                       ZVGetCurYPos(w),
                       ZVCircle(w, 1, 1, 1),
                       ZVArc(w, 1, 1, 1, 0, 90),
                       ZVPie(w, 1, 1, 1, 0, 90),
                       ZVRectangle(w, 1, 1, 2, 2),
                       ZVInvertRectangle(w, 1, 1, 2, 2),
                       ZVFillRectangle(w, 1, 1, 2, 2),
                       ZVFillCircle(w, 1, 1, 1),
                       ZVFloodFill(w, 1, 1, 0),
                       ZVSetForeground(w, 0),
                       ZVSetBackground(w, 0),
                       ZVSetLineStyle(w, 1),
                       ZVSetLineWidth(w, 2),
                       ZVSetFillStyle(w, 1),
                       ZVSetFillColour(w, 0),
                       ZVGetLineStyle(w),
                       ZVGetFillStyle(w),
                       ZVSetDoubleBuffer(w, 1),
                       ZVSwitchDrawBuffer(w),
                       ZVSwitchViewBuffer(w),
                       ZVGetDrawBuffer(w),
                       ZVGetViewBuffer(w),
                       ZVClearDrawBuffer(w),
                       ZVClearViewBuffer(w),
                       ZVCopyDrawBufferToView(w),
                       ZVRedraw(w),
                       ZVSetAutoRedraw(w, 50)})
        EXPECT_EQ(result, bad);
    EXPECT_EQ(ZVGetLastError(), bad);
}

// One thread moves the position while another draws lines from it and reads it: the position
// is kept under the window lock, so the thread sanitizer build sees no race.
TEST(Primitives, MovingAndDrawingFromTwoThreadsShareThePositionSafely) {
    int w = open_window(40, 30);
    std::atomic<int> failures{0};
    std::thread mover([&] {
        for (int i = 0; i < 2000; ++i)
            if (ZVMoveTo(w, i % 40, i % 30) != ZV_OK) failures++;
    });
    for (int i = 0; i < 2000; ++i) {
        if (ZVLine(w, (i * 7) % 40, (i * 3) % 30) != ZV_OK) failures++;
        int x = ZVGetCurXPos(w);
        if (x < 0 || x >= 40) failures++;
    }
    mover.join();
    EXPECT_EQ(failures.load(), 0);
}
