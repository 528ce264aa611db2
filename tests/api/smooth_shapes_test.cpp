// Smooth shapes, opacity and the polygon calls through the public API: their arguments, the
// geometry they keep from the exact mode, edge cases of size and position, and the smooth
// scene against the picture Linux draws for it (so Zelvan.dll under Wine draws the same).
#include "drawing_support.h"
#include "smooth_scene.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

const ZVCOLOUR k_grey_fill = 0x808080;

int open_canvas(int width = 120, int height = 100) {
    int w = ZVCreateCanvas(width, height);
    ZVSetBackground(w, k_white);
    ZVClearDrawBuffer(w);
    return w;
}

// The picture a fresh canvas gets from `draw`, in smooth mode or not.
template <typename Draw> picture drawn(bool smooth, Draw draw) {
    int w = open_canvas();
    ZVSetSmooth(w, smooth);
    draw(w);
    picture p(w);
    ZVDestroyWindow(w);
    return p;
}

// How dark a pixel is, 0 (white) to 1 (black), from its green channel.
double ink(ZVCOLOUR c) {
    return (255 - static_cast<int>(c >> 8 & 0xFF)) / 255.0;
}

double total_ink(const picture &p) {
    double sum = 0;
    for (ZVCOLOUR c : p.pixels) sum += ink(c);
    return sum;
}

} // namespace

TEST(SmoothShapes, ModeAndOpacityAreKeptAndCheckedPerWindow) {
    int w = open_canvas(), other = open_canvas();
    EXPECT_EQ(ZVGetSmooth(w), 0);
    EXPECT_EQ(ZVGetOpacity(w), 255);
    EXPECT_EQ(ZVSetSmooth(w, 7), ZV_OK);
    EXPECT_EQ(ZVGetSmooth(w), 1) << "any non-zero value turns it on";
    EXPECT_EQ(ZVGetSmooth(other), 0);
    EXPECT_EQ(ZVSetOpacity(w, 0), ZV_OK);
    EXPECT_EQ(ZVSetOpacity(w, 100), ZV_OK);
    for (int bad : {-1, 256, INT_MIN, INT_MAX}) EXPECT_EQ(ZVSetOpacity(w, bad), ZV_ERROR) << bad;
    EXPECT_EQ(ZVGetOpacity(w), 100) << "a refused opacity changes nothing";
    EXPECT_EQ(ZVSetSmooth(w, 0), ZV_OK);
    EXPECT_EQ(ZVGetSmooth(w), 0);
    ZVDestroyWindow(w);
    ZVDestroyWindow(other);
    int xy[6] = {0, 0, 10, 0, 0, 10};
    float fxy[4] = {0, 0, 1, 1};
    EXPECT_EQ(ZVSetSmooth(w, 1), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetSmooth(w), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVSetOpacity(w, 9), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetOpacity(w), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPolygon(w, xy, 3), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVFillPolygon(w, xy, 3), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPolylineF(w, fxy, 2), ZV_ERR_BAD_WINDOW);
}

TEST(SmoothShapes, BadPointArraysAreRefusedAndDrawNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    int xy[6] = {10, 10, 50, 10, 10, 50};
    float one[2] = {5, 5}, with_nan[4] = {5, 5, nan, 9}, with_inf[4] = {5, 5, 9, -inf};
    for (bool smooth : {false, true}) {
        int w = open_canvas();
        ZVSetSmooth(w, smooth);
        EXPECT_EQ(ZVPolygon(w, nullptr, 3), ZV_ERROR);
        EXPECT_EQ(ZVPolygon(w, xy, 1), ZV_ERROR);
        EXPECT_EQ(ZVPolygon(w, xy, 0), ZV_ERROR);
        EXPECT_EQ(ZVPolygon(w, xy, -4), ZV_ERROR);
        EXPECT_EQ(ZVFillPolygon(w, xy, 2), ZV_ERROR) << "a fill needs three points";
        EXPECT_EQ(ZVFillPolygon(w, nullptr, 5), ZV_ERROR);
        EXPECT_EQ(ZVPolylineF(w, one, 1), ZV_ERROR);
        EXPECT_EQ(ZVPolylineF(w, nullptr, 2), ZV_ERROR);
        EXPECT_EQ(ZVPolylineF(w, with_nan, 2), ZV_ERROR);
        EXPECT_EQ(ZVPolylineF(w, with_inf, 2), ZV_ERROR);
        picture p(w);
        EXPECT_EQ(p.count(k_white), p.width * p.height) << "smooth " << smooth;
        EXPECT_EQ(ZVPolygon(w, xy, 2), ZV_OK) << "two points make a polygon's outline";
        EXPECT_EQ(ZVFillPolygon(w, xy, 3), ZV_OK);
        ZVDestroyWindow(w);
    }
}

TEST(SmoothShapes, ExactPolygonsFillPixelCentresByTheNonZeroRule) {
    // A box polygon covers what a rectangle one larger covers: its outline takes in its last
    // row and column, as every closed exact outline does.
    picture box = drawn(false, [](int w) {
        ZVSetFillColour(w, k_grey_fill);
        int xy[8] = {10, 12, 60, 12, 60, 40, 10, 40};
        ZVFillPolygon(w, xy, 4);
    });
    picture rectangle = drawn(false, [](int w) {
        ZVSetFillColour(w, k_grey_fill);
        ZVFillRectangle(w, 10, 12, 61, 41);
    });
    EXPECT_TRUE(box == rectangle);
    // The star crosses itself: its middle winds twice and is filled all the same.
    for (bool smooth : {false, true}) {
        picture star = drawn(smooth, [](int w) {
            ZVSetFillColour(w, k_grey_fill);
            int xy[10];
            for (int i = 0; i < 10; ++i) xy[i] = smooth_scene::k_star[i] / 2 + (i % 2 ? 50 : 60);
            ZVFillPolygon(w, xy, 5);
        });
        EXPECT_EQ(star.at(60, 50), k_grey_fill) << "smooth " << smooth;
        EXPECT_EQ(star.at(60, 18), k_white) << "above the top point";
    }
}

TEST(SmoothShapes, OddWidthLinesThroughPixelCentresStayCrisp) {
    for (int width : {1, 3, 5}) {
        picture p = drawn(true, [&](int w) {
            ZVSetLineWidth(w, width);
            ZVMoveTo(w, 10, 30);
            ZVLine(w, 100, 30);
            ZVMoveTo(w, 60, 50);
            ZVLine(w, 60, 95);
        });
        int half = width / 2;
        for (int x = 20; x < 90; ++x) {
            for (int y = 30 - half; y <= 30 + half; ++y) ASSERT_EQ(p.at(x, y), k_black) << x << y;
            ASSERT_EQ(p.at(x, 30 - half - 1), k_white) << "width " << width;
            ASSERT_EQ(p.at(x, 30 + half + 1), k_white) << "width " << width;
        }
        for (int y = 60; y < 85; ++y) {
            ASSERT_EQ(p.at(60 - half, y), k_black);
            ASSERT_EQ(p.at(60 - half - 1, y), k_white);
            ASSERT_EQ(p.at(60 + half + 1, y), k_white);
        }
    }
}

TEST(SmoothShapes, ShapesKeepTheExactModesArea) {
    // A filled circle covers as much as the exact circle's pixels; a filled rectangle is the
    // exact one but for its rounded corners.
    for (int radius : {4, 11, 30}) {
        auto circle = [&](int w) { ZVFillCircle(w, 60, 50, radius); };
        double exact = total_ink(drawn(false, circle)), smooth = total_ink(drawn(true, circle));
        EXPECT_NEAR(smooth, exact, exact * 0.04 + 2) << "radius " << radius;
    }
    // A filled rectangle is the exact one, its outline over its fill; the outline alone is the
    // exact outline but for the corners, which the pen's round joins make a little lighter.
    auto filled = [](int w) { ZVFillRectangle(w, 10, 20, 70, 60); };
    EXPECT_TRUE(drawn(false, filled) == drawn(true, filled));
    auto outline = [](int w) { ZVRectangle(w, 10, 20, 70, 60); };
    picture exact = drawn(false, outline), smooth = drawn(true, outline);
    int differing = 0;
    for (size_t i = 0; i < exact.pixels.size(); ++i)
        differing += exact.pixels[i] != smooth.pixels[i];
    EXPECT_EQ(differing, 4);
    for (int corner : {smooth.at(10, 20), smooth.at(69, 20), smooth.at(69, 59), smooth.at(10, 59)})
        EXPECT_GT(ink(static_cast<ZVCOLOUR>(corner)), 0.9);
}

TEST(SmoothShapes, OpacityBlendsPenAndFillInSmoothModeOnly) {
    auto box = [](int w) {
        ZVSetOpacity(w, 128);
        ZVFillRectangle(w, 10, 10, 50, 50);
    };
    picture half = drawn(true, box);
    ZVCOLOUR middle = half.at(30, 30);
    EXPECT_NEAR(static_cast<int>(middle & 0xFF), 127, 1);
    EXPECT_EQ(middle & 0xFF, middle >> 16) << "grey";
    EXPECT_EQ(drawn(false, box).at(30, 30), k_black) << "the exact mode ignores opacity";
    picture none = drawn(true, [](int w) {
        ZVSetOpacity(w, 0);
        ZVFillCircle(w, 40, 40, 20);
        ZVMoveTo(w, 0, 0);
        ZVLine(w, 100, 90);
    });
    EXPECT_EQ(none.count(k_white), none.width * none.height);
    picture full = drawn(true, [](int w) {
        ZVSetFillColour(w, k_red);
        ZVFillCircle(w, 40, 40, 20);
    });
    EXPECT_EQ(full.at(40, 40), k_red) << "255 paints the colour itself";
}

TEST(SmoothShapes, ZeroAndHugeRadii) {
    picture zero = drawn(true, [](int w) {
        EXPECT_EQ(ZVFillCircle(w, 50, 50, 0), ZV_OK);
        EXPECT_EQ(ZVCircle(w, 50, 50, 0), ZV_OK);
        EXPECT_EQ(ZVPie(w, 50, 50, 0, 0, 90), ZV_OK);
        EXPECT_EQ(ZVArc(w, 50, 50, 0, 0, 90), ZV_OK);
    });
    EXPECT_EQ(zero.count(k_white), zero.width * zero.height);
    picture covering = drawn(true, [](int w) { ZVFillCircle(w, 60, 50, INT_MAX); });
    EXPECT_EQ(covering.count(k_black), covering.width * covering.height);
    // A circle of radius 10^9 whose top edge runs through row 40: a straight edge there.
    const int r = 1000000000;
    picture edge = drawn(true, [&](int w) {
        ZVSetFillColour(w, k_grey_fill);
        ZVSetLineStyle(w, ZV_LINE_INVISIBLE);
        ZVFillCircle(w, 60, 40 + r, r);
    });
    // The polygon standing for the circle strays up to 0.06 pixels either side of it.
    for (int x = 0; x < edge.width; x += 7) {
        EXPECT_LT(ink(edge.at(x, 39)), 0.07) << x;
        EXPECT_EQ(edge.at(x, 40), k_grey_fill) << x;
        EXPECT_EQ(edge.at(x, 41), k_grey_fill) << x;
    }
    picture ring = drawn(true, [&](int w) {
        ZVSetLineWidth(w, 3);
        ZVCircle(w, 60, 40 + r, r);
        ZVSetLineStyle(w, ZV_LINE_DASH);
        ZVArc(w, -r + 20, 70, r, -10, 20);
    });
    EXPECT_EQ(ring.at(60, 40), k_black) << "the pen's middle, on the circle's edge";
    EXPECT_EQ(ring.at(60, 45), k_white);
    EXPECT_EQ(ring.at(60, 36), k_white);
    // Dashes of 18 pixels and gaps of 6 down column 19, where the arc runs within 0.06 pixels
    // of the column's middle.
    int dark = 0;
    for (int y = 0; y < 100; ++y) dark += ink(ring.at(19, y)) > 0.9;
    EXPECT_NEAR(dark, 75, 6);
}

TEST(SmoothShapes, CoordinatesFarOutsideTheWindow) {
    const int distant = 1000000000;
    picture p = drawn(true, [&](int w) {
        ZVSetLineWidth(w, 2);
        ZVMoveTo(w, -distant, -distant);
        ZVLine(w, distant, distant);
        ZVSetLineStyle(w, ZV_LINE_DASHDOT);
        ZVMoveTo(w, -distant, 80);
        ZVLine(w, distant, 80);
        ZVSetFillColour(w, k_grey_fill);
        ZVSetLineStyle(w, ZV_LINE_SOLID);
        int around[8] = {-distant, 90, distant, 90, distant, distant, -distant, distant};
        ZVFillPolygon(w, around, 4);
        float fxy[6] = {-1e30f, 0, 30.5f, 70.25f, 1e30f, 0};
        ZVPolylineF(w, fxy, 3);
    });
    EXPECT_EQ(p.at(40, 40), k_black) << "the diagonal";
    EXPECT_EQ(p.at(95, 95), k_grey_fill) << "under the polygon's top edge";
    EXPECT_EQ(p.at(60, 88), k_white) << "above the pen on the polygon's top edge";
    int dashes = p.count(k_black, 0, 80, 120, 81);
    EXPECT_GT(dashes, 40) << "the dash-dot line shows";
    EXPECT_LT(dashes, 110) << "with its gaps";
    EXPECT_GT(ink(p.at(30, 70)), 0.5) << "the fractional polyline's corner";
}

TEST(SmoothShapes, DegeneratePolygonsDrawTheirOutlineOnly) {
    picture p = drawn(true, [](int w) {
        ZVSetFillColour(w, k_grey_fill);
        int same[6] = {20, 20, 20, 20, 20, 20};
        EXPECT_EQ(ZVFillPolygon(w, same, 3), ZV_OK);
        int flat[8] = {40, 50, 60, 50, 90, 50, 50, 50};
        EXPECT_EQ(ZVFillPolygon(w, flat, 4), ZV_OK);
    });
    EXPECT_GT(ink(p.at(20, 20)), 0.7) << "a point: a dot of the pen, a pixel across";
    EXPECT_EQ(p.at(70, 50), k_black) << "a flat polygon: its line";
    EXPECT_EQ(p.at(70, 49), k_white);
    EXPECT_EQ(p.count(k_grey_fill), 0) << "no area to fill";
}

TEST(SmoothShapes, HatchesInversionAndFloodFillStayExact) {
    auto scene = [](int w) {
        ZVSetFillStyle(w, ZV_FILL_CROSS_HATCH);
        ZVSetFillColour(w, k_blue);
        ZVSetLineStyle(w, ZV_LINE_INVISIBLE);
        ZVFillRectangle(w, 5, 5, 60, 60);
        ZVFillCircle(w, 90, 30, 20);
        ZVPie(w, 90, 75, 20, 0, 120);
        ZVInvertRectangle(w, 30, 30, 100, 90);
        ZVSetLineStyle(w, ZV_LINE_SOLID);
        ZVFloodFill(w, 2, 95, k_black);
    };
    EXPECT_TRUE(drawn(true, scene) == drawn(false, scene));
}

TEST(SmoothShapes, OneOutlineAndOverlappingPiecesCoverAlike) {
    // A line of one segment is one outline, whose edges' areas are simply added up; the same
    // line through its own middle is two pieces that meet, which the non-zero rule joins. Both
    // must cover every pixel alike (within rounding), at any angle and width, and where they
    // leave the canvas.
    struct line {
        float x1, y1, x2, y2;
        int width;
    };
    const line lines[] = {
        {10.25f, 20.5f, 100.75f, 35.125f, 1}, {15, 90, 40.5f, 5.25f, 2},
        {60.5f, 10, 61.25f, 95, 3},           {5.75f, 50.5f, 110, 50.5f, 4},
        {100.5f, 10.25f, 20.125f, 80.5f, 5},  {-30, 40.5f, 50.5f, 60.25f, 6},
        {70.5f, 30, 160, 45.75f, 7},          {40.25f, -20, 55.5f, 50.5f, 8},
        {20.5f, 60, 35.75f, 140, 9},          {-50, -40, 170, 140.5f, 3},
    };
    for (const line &l : lines) {
        auto draw = [&](bool halves) {
            return drawn(true, [&](int w) {
                ZVSetLineWidth(w, l.width);
                float mx = (l.x1 + l.x2) / 2, my = (l.y1 + l.y2) / 2;
                float whole[4] = {l.x1, l.y1, l.x2, l.y2};
                float split[6] = {l.x1, l.y1, mx, my, l.x2, l.y2};
                EXPECT_EQ(halves ? ZVPolylineF(w, split, 3) : ZVPolylineF(w, whole, 2), ZV_OK);
            });
        };
        picture one = draw(false), two = draw(true);
        int largest = 0;
        for (size_t i = 0; i < one.pixels.size(); ++i)
            for (int shift : {0, 8, 16})
                largest =
                    std::max(largest, std::abs(static_cast<int>(one.pixels[i] >> shift & 0xFF) -
                                               static_cast<int>(two.pixels[i] >> shift & 0xFF)));
        EXPECT_LE(largest, 1) << "from " << l.x1 << "," << l.y1 << " width " << l.width;
        EXPECT_LT(one.count(k_white), one.width * one.height) << "the line shows";
    }
}

TEST(SmoothShapes, NothingShowsAwayFromAStroke) {
    // Polylines of many slight and sharp bends make many overlapping pieces; every pixel whose
    // square lies wholly beyond the pen's reach stays as it was, whatever the row holds.
    for (int width : {1, 3, 6}) {
        std::vector<float> xy;
        for (int i = 0; i < 40; ++i) {
            xy.push_back(4.0f + static_cast<float>(i) * 2.9f);
            xy.push_back(50.0f +
                         35.0f * std::sin(static_cast<float>(i) * 0.9f) * (i % 3 ? 1 : 0.3f));
        }
        picture p = drawn(true, [&](int w) {
            ZVSetLineWidth(w, width);
            EXPECT_EQ(ZVPolylineF(w, xy.data(), static_cast<int>(xy.size() / 2)), ZV_OK);
        });
        auto distance = [&](double x, double y) {
            double nearest = 1e9;
            for (size_t i = 0; i + 3 < xy.size(); i += 2) {
                // The path runs through pixel centres, half a pixel on from its points.
                double ax = xy[i] + 0.5, ay = xy[i + 1] + 0.5;
                double dx = xy[i + 2] + 0.5 - ax, dy = xy[i + 3] + 0.5 - ay;
                double t =
                    std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
                nearest = std::min(nearest, std::hypot(x - ax - t * dx, y - ay - t * dy));
            }
            return nearest;
        };
        int beyond = 0, untouched = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                if (distance(x + 0.5, y + 0.5) <= width / 2.0 + 0.75) continue;
                ++beyond;
                untouched += p.at(x, y) == k_white;
            }
        EXPECT_EQ(untouched, beyond) << "width " << width;
        EXPECT_LT(p.count(k_white), p.width * p.height - 100) << "the stroke shows";
    }
}

TEST(SmoothShapes, SceneMatchesThePictureDrawnOnLinux) {
    using namespace smooth_scene;
    int w = ZVCreateCanvas(k_width, k_height);
    ASSERT_GT(w, 0);
    draw_zelvan(w);
    std::string reference = std::string(ZELVAN_GOLDEN_DIR) + "/../api/smooth_scene.png";
    if (std::getenv("ZELVAN_REWRITE_SMOOTH_SCENE")) ZVSaveImage(w, reference.c_str());
    picture ours(w);
    ZVDestroyWindow(w);
    int bitmap = ZVLoadBitmap(reference.c_str());
    ASSERT_GT(bitmap, 0) << reference;
    std::vector<unsigned char> rgba(static_cast<size_t>(k_width) * k_height * 4);
    ASSERT_EQ(ZVGetBitmapPixels(bitmap, rgba.data(), 0), ZV_OK);
    ZVDiscardBitmap(bitmap);
    double total = 0;
    int largest = 0;
    for (size_t i = 0; i < ours.pixels.size(); ++i)
        for (int channel = 0; channel < 3; ++channel) {
            int d = std::abs(static_cast<int>(ours.pixels[i] >> (8 * channel) & 0xFF) -
                             rgba[4 * i + static_cast<size_t>(channel)]);
            total += d;
            largest = std::max(largest, d);
        }
    EXPECT_LE(total / (3.0 * static_cast<double>(ours.pixels.size())), 0.05);
    EXPECT_LE(largest, 8);
}
