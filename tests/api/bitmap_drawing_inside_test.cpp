// ZVDrawBitmap seen from inside: the rows and box the mapping walks never leave out a pixel
// that the defined mapping draws, and the staging section a window keeps is made once.
#include "draw/drawing_state.h"
#include "image/sprites/sprite_mapping.h"

#include "headless_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

// Random draws, small and extreme: every destination pixel outside a row's span or outside
// the box lands outside the source part (as the defined mapping computes it, with a margin
// for rounding), so the walk, which tests each pixel it visits, sees every one that lands in.
TEST(SpriteMapping, SpansAndBoxHoldEveryPixelThatLandsInside) {
    std::mt19937 random(46);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int trial = 0; trial < 400; ++trial) {
        sprite_draw d{pick(-8, 8),
                      pick(-8, 8),
                      pick(1, 24),
                      pick(1, 24),
                      pick(-10, 30),
                      pick(-10, 30),
                      pick(1, 40),
                      pick(1, 40),
                      std::uniform_real_distribution<double>(-720, 720)(random),
                      pick(0, 1) == 1,
                      pick(0, 1) == 1};
        if (trial % 4 == 0) d.angle = 90.0 * pick(-4, 4);
        if (trial % 7 == 0) d.width = 1, d.src_width = pick(100, 3000);
        sprite_mapping m;
        if (!sprite_mapping_make(d, 16, 16, &m)) continue;
        for (int64_t py = -20; py < 80; ++py) {
            int64_t first, last;
            sprite_row_span(m, py, &first, &last);
            for (int64_t px = -20; px < 80; ++px) {
                bool walked = py >= m.box_top && py < m.box_bottom && px >= first && px < last &&
                              px >= m.box_left && px < m.box_right;
                if (walked) continue;
                double dx = px + 0.5 - m.centre_x, dy = py + 0.5 - m.centre_y;
                double u = m.u_centre + dx * m.du_dx + dy * m.du_dy;
                double v = m.v_centre + dx * m.dv_dx + dy * m.dv_dy;
                bool inside = u >= m.left + 1e-6 && u < m.right - 1e-6 && v >= m.top + 1e-6 &&
                              v < m.bottom - 1e-6;
                ASSERT_FALSE(inside) << "trial " << trial << ": pixel " << px << "," << py
                                     << " lands on " << u << "," << v << " but is not walked";
            }
        }
    }
}

// The first draw makes the window's staging section; draws as wide or narrower reuse it, a
// wider one makes it again at twice the width, and the window's end frees it.
TEST(SpriteMapping, AWindowMakesItsStagingSectionOnceForDrawsOfASize) {
    int w = ZVCreateWindow(0, 0, 600, 100, "staging");
    int sprite = ZVCreateBitmap(8, 8, nullptr, 0);
    auto section = [&] {
        window_ref window(w);
        return window->drawing->staging;
    };
    EXPECT_EQ(section().dc, nullptr);
    ASSERT_EQ(ZVDrawBitmap(w, sprite, 0, 0, 8, 8, 0, 0, 100, 50, 30, 0), ZV_OK);
    staging_section first = section();
    ASSERT_NE(first.dc, nullptr);
    EXPECT_EQ(first.width, 256);
    ASSERT_EQ(ZVDrawBitmap(w, sprite, 0, 0, 8, 8, 5, 5, 60, 60, 10, ZV_SMOOTH), ZV_OK);
    EXPECT_EQ(section().bitmap, first.bitmap);
    ASSERT_EQ(ZVDrawBitmap(w, sprite, 0, 0, 8, 8, 0, 0, 400, 20, 0, ZV_FLIP_X), ZV_OK);
    EXPECT_EQ(section().width, 512);
    ZVDestroyWindow(w);
    ZVDiscardBitmap(sprite);
}
