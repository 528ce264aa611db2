// ZVDrawBitmap through the public API, so that the same cases run against Zelvan.dll: the
// pixels it draws against the mapping docs/API.md defines, computed here from that text; what
// it draws where it lands pixel for pixel against the pastes; sheet frames at the bitmap's
// edges; colour keys in every paste; bad arguments.
#include "drawing_support.h"
#include "png_bytes.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The background under every draw: a different colour in every pixel.
ZVCOLOUR under(int x, int y) {
    return static_cast<ZVCOLOUR>((x * 9 & 255) | (y * 7 & 255) << 8 | ((x ^ y) * 5 & 255) << 16);
}

int scene_window(int width, int height) {
    int w = ZVCreateWindow(10, 10, width, height, "drawing");
    std::vector<ZVCOLOUR> scene;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) scene.push_back(under(x, y));
    ZVPutPixels(w, 0, 0, width, height, scene.data(), width);
    return w;
}

// A picture made in memory: ZVCOLOURs with straight alpha in the top byte.
struct sprite {
    int width, height;
    std::vector<uint32_t> pixels;
    template <typename Paint> sprite(int w, int h, Paint paint) : width(w), height(h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels.push_back(paint(x, y));
    }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    std::vector<unsigned char> rgba() const {
        std::vector<unsigned char> bytes;
        for (uint32_t p : pixels)
            for (int shift : {0, 8, 16, 24})
                bytes.push_back(static_cast<unsigned char>(p >> shift));
        return bytes;
    }
    int make() const { return ZVCreateBitmap(width, height, rgba().data(), 0); }
};

// Every pixel a colour of its own; the corners and a few more clear, the rest opaque.
sprite checker_sprite(int width, int height) {
    return sprite(width, height, [](int x, int y) {
        uint32_t colour =
            static_cast<uint32_t>((x * 19 + 7) | (y * 29 + 3) << 8 | (x * y * 7 & 255) << 16);
        bool clear = (x + 2 * y) % 7 == 3;
        return (colour & 0xFFFFFF) | (clear ? 0u : 0xFF000000u);
    });
}

struct draw_args {
    int src_x, src_y, src_width, src_height, x, y, width, height;
    double angle;
    int flags;
    std::string name() const {
        return "src " + std::to_string(src_x) + "," + std::to_string(src_y) + " " +
               std::to_string(src_width) + "x" + std::to_string(src_height) + " to " +
               std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
               std::to_string(height) + " turned " + std::to_string(angle) + " flags " +
               std::to_string(flags);
    }
    int draw(int w, int bitmap) const {
        return ZVDrawBitmap(w, bitmap, src_x, src_y, src_width, src_height, x, y, width, height,
                            angle, flags);
    }
};

// Where the centre of destination pixel (px, py) lands on the bitmap, as docs/API.md defines
// it: the turn about the destination's centre undone, then the mirror and the scale.
struct landing {
    double u, v;
};
landing land(const draw_args &a, int px, int py) {
    double c, s;
    double turns = std::fmod(a.angle, 360.0) / 90.0;
    if (turns == std::floor(turns)) {
        int quarter = (static_cast<int>(turns) % 4 + 4) % 4;
        c = quarter == 0 ? 1 : quarter == 2 ? -1 : 0;
        s = quarter == 1 ? 1 : quarter == 3 ? -1 : 0;
    } else {
        c = std::cos(a.angle * 3.14159265358979323846 / 180);
        s = std::sin(a.angle * 3.14159265358979323846 / 180);
    }
    double dx = px + 0.5 - (a.x + a.width / 2.0), dy = py + 0.5 - (a.y + a.height / 2.0);
    // Counter-clockwise on a screen whose y grows downwards: undone by the opposite turn.
    double qx = dx * c - dy * s, qy = dx * s + dy * c;
    // Then the scale, mirrored or not, about the source rectangle's centre.
    double kx = static_cast<double>(a.src_width) / a.width;
    double ky = static_cast<double>(a.src_height) / a.height;
    if (a.flags & ZV_FLIP_X) kx = -kx;
    if (a.flags & ZV_FLIP_Y) ky = -ky;
    return landing{a.src_x + a.src_width / 2.0 + qx * kx, a.src_y + a.src_height / 2.0 + qy * ky};
}

// How near a coordinate lies to a pixel edge.
double edge_distance(double t) {
    return std::fabs(t - std::round(t));
}

// The bitmap's source part: the source rectangle on the bitmap.
struct source_part {
    int left, top, right, bottom;
    source_part(const draw_args &a, const sprite &s)
        : left(std::max(a.src_x, 0)), top(std::max(a.src_y, 0)),
          right(std::min(a.src_x + a.src_width, s.width)),
          bottom(std::min(a.src_y + a.src_height, s.height)) {}
    bool holds(landing l) const { return l.u >= left && l.u < right && l.v >= top && l.v < bottom; }
};

// Compares a draw with `expected(l, below)`, the colour a pixel whose centre lands at `l`
// shows over the scene's colour `below`, within `tolerance` a channel. A centre within `edge`
// of a pixel edge may go either way and is not judged (0 judges all: for draws whose every
// number is exact, quarter turns and scales by powers of two).
template <typename Expected>
int wrong_pixels(int w, const draw_args &a, double edge, int tolerance, Expected expected) {
    picture shown(w);
    int wrong = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            landing l = land(a, x, y);
            if (edge > 0 && (edge_distance(l.u) < edge || edge_distance(l.v) < edge)) continue;
            ZVCOLOUR want = expected(l, under(x, y));
            if (near_colour(shown.at(x, y), want, tolerance)) continue;
            if (wrong++ < 3)
                ADD_FAILURE() << a.name() << ": pixel " << x << "," << y << " lands on " << l.u
                              << "," << l.v << ", shows " << std::hex << shown.at(x, y) << " for "
                              << want << std::dec;
        }
    return wrong;
}

// Sampled at the nearest pixel: each pixel shows the sprite's pixel its centre lands in,
// blended, or the scene where it lands outside.
int wrong_nearest(int w, const sprite &s, const draw_args &a, double edge, int tolerance = 0) {
    source_part part(a, s);
    return wrong_pixels(w, a, edge, tolerance, [&](landing l, ZVCOLOUR below) {
        if (!part.holds(l)) return below;
        return blend_over(
            s.at(static_cast<int>(std::floor(l.u)), static_cast<int>(std::floor(l.v))), below);
    });
}

// The premultiplied colour bilinearly sampled at (u, v), as docs/API.md defines it: the four
// nearest centres weighted, the part's outer pixels standing in for what lies beyond it.
// Channels as doubles, alpha last.
void bilinear(const sprite &s, const source_part &p, landing l, double out[4]) {
    double u = std::clamp(l.u - 0.5, double(p.left), double(p.right - 1));
    double v = std::clamp(l.v - 0.5, double(p.top), double(p.bottom - 1));
    int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
    int x1 = std::min(x0 + 1, p.right - 1), y1 = std::min(y0 + 1, p.bottom - 1);
    double fx = u - x0, fy = v - y0;
    std::fill(out, out + 4, 0.0);
    for (int corner = 0; corner < 4; ++corner) {
        int x = corner & 1 ? x1 : x0, y = corner & 2 ? y1 : y0;
        double weight = (corner & 1 ? fx : 1 - fx) * (corner & 2 ? fy : 1 - fy);
        uint32_t pixel = s.at(x, y);
        double alpha = (pixel >> 24) / 255.0;
        for (int c = 0; c < 3; ++c) out[c] += weight * (pixel >> (8 * c) & 255) * alpha;
        out[3] += weight * alpha;
    }
}

// Sampled bilinearly and laid over the scene by the sample's alpha.
int wrong_smooth(int w, const sprite &s, const draw_args &a, int tolerance) {
    source_part part(a, s);
    return wrong_pixels(w, a, 1e-6, tolerance, [&](landing l, ZVCOLOUR below) {
        if (!part.holds(l)) return below;
        double sample[4];
        bilinear(s, part, l, sample);
        ZVCOLOUR mixed = 0;
        for (int c = 0; c < 3; ++c) {
            double value = sample[c] + (below >> (8 * c) & 255) * (1 - sample[3]);
            mixed |= static_cast<uint32_t>(value + 0.5) << (8 * c);
        }
        return mixed;
    });
}

} // namespace

// Quarter turns, scales by whole numbers and halves, and mirrors are exact: every pixel is
// judged. Other angles are judged wherever a centre lands clear of an edge.
TEST(DrawBitmap, NearestPixelsFollowTheDefinedMapping) {
    sprite s = checker_sprite(13, 9);
    int bitmap = s.make();
    ASSERT_NE(bitmap, 0) << ZVGetLastError();
    const draw_args exact[] = {
        {0, 0, 13, 9, 5, 4, 13, 9, 90, 0},
        {0, 0, 13, 9, 5, 4, 13, 9, 180, 0},
        {0, 0, 13, 9, 5, 4, 13, 9, 270, 0},
        {0, 0, 13, 9, 5, 4, 13, 9, -90, 0},
        {0, 0, 13, 9, 5, 4, 26, 18, 0, 0},
        {0, 0, 13, 9, 6, 3, 26, 9, 90, 0},
        {2, 1, 8, 6, 3, 2, 4, 3, 0, 0},
        {0, 0, 13, 9, 1, 1, 39, 27, 0, ZV_FLIP_X},
        {0, 0, 13, 9, 1, 1, 13, 18, 0, ZV_FLIP_Y},
        {1, 2, 10, 6, 4, 5, 20, 12, 270, ZV_FLIP_X},
        {0, 0, 13, 9, 20, 2, 13, 9, 720, ZV_FLIP_X | ZV_FLIP_Y},
    };
    const draw_args turned[] = {
        {0, 0, 13, 9, 10, 8, 26, 18, 30, 0},
        {0, 0, 13, 9, 10, 8, 13, 9, -45, 0},
        {0, 0, 13, 9, 10, 8, 30, 14, 123.4, ZV_FLIP_X},
        {3, 2, 7, 5, 12, 10, 21, 10, 200, ZV_FLIP_Y},
        {0, 0, 13, 9, 10, 8, 7, 5, 333, 0},
    };
    auto check = [&](const draw_args &a, double edge) {
        int w = scene_window(48, 36);
        ASSERT_EQ(a.draw(w, bitmap), ZV_OK) << a.name();
        EXPECT_EQ(wrong_nearest(w, s, a, edge), 0);
        ZVDestroyWindow(w);
    };
    for (const draw_args &a : exact) check(a, 0);
    for (const draw_args &a : turned) check(a, 1e-6);
    ZVDiscardBitmap(bitmap);
}

// A half turn is both mirrors, pixel for pixel, and a full turn is no turn.
TEST(DrawBitmap, AHalfTurnIsBothMirrors) {
    sprite s = checker_sprite(11, 7);
    int bitmap = s.make();
    int turned = scene_window(40, 30), mirrored = scene_window(40, 30);
    ASSERT_EQ(ZVDrawBitmap(turned, bitmap, 0, 0, 11, 7, 4, 3, 33, 14, 180, 0), ZV_OK);
    ASSERT_EQ(ZVDrawBitmap(mirrored, bitmap, 0, 0, 11, 7, 4, 3, 33, 14, 0, ZV_FLIP_X | ZV_FLIP_Y),
              ZV_OK);
    EXPECT_TRUE(picture(turned) == picture(mirrored));
    ASSERT_EQ(ZVDrawBitmap(turned, bitmap, 0, 0, 11, 7, 2, 2, 11, 7, -360, 0), ZV_OK);
    ASSERT_EQ(ZVDrawBitmap(mirrored, bitmap, 0, 0, 11, 7, 2, 2, 11, 7, 0, 0), ZV_OK);
    EXPECT_TRUE(picture(turned) == picture(mirrored));
    ZVDestroyWindow(turned);
    ZVDestroyWindow(mirrored);
}

// Where the draw lands pixel for pixel it draws exactly what the pastes draw: a sprite with
// every step of alpha blended by ZVPasteBitmapAlpha, an opaque bitmap copied by
// ZVPasteBitmap, and a frame of either drawn as a paste of a bitmap holding just that frame.
// ZV_SMOOTH changes nothing there.
TEST(DrawBitmap, UnturnedUnscaledDrawsAreThePastes) {
    sprite soft(23, 17, [](int x, int y) {
        return static_cast<uint32_t>((x * 11 + y * 3) & 255) << 24 |
               static_cast<uint32_t>(x * 10 | (y * 15) << 8 | (x * y & 255) << 16);
    });
    sprite hard(23, 17, [](int x, int y) { return 0xFF000000u | (x * 10 | (y * 15) << 8); });
    int window_copy_source = scene_window(23, 17);
    int copied = ZVCopyBitmap(window_copy_source, 0, 0, 23, 17); // 24 bits, no alpha
    ZVDestroyWindow(window_copy_source);
    for (int bitmap : {soft.make(), hard.make(), copied}) {
        for (int flags : {0, ZV_SMOOTH}) {
            int drawn = scene_window(40, 30), pasted = scene_window(40, 30);
            ASSERT_EQ(ZVDrawBitmap(drawn, bitmap, 0, 0, 23, 17, -5, 20, 23, 17, 0, flags), ZV_OK);
            ASSERT_EQ(ZVPasteBitmapAlpha(pasted, bitmap, -5, 20), ZV_OK);
            EXPECT_TRUE(picture(drawn) == picture(pasted)) << "bitmap " << bitmap;
            // A frame: the pixels of the part, made a bitmap of their own and pasted.
            std::vector<unsigned char> all(23 * 17 * 4), part;
            ASSERT_EQ(ZVGetBitmapPixels(bitmap, all.data(), 0), ZV_OK);
            for (int y = 4; y < 13; ++y)
                part.insert(part.end(), all.begin() + (y * 23 + 6) * 4,
                            all.begin() + (y * 23 + 16) * 4);
            int frame = ZVCreateBitmap(10, 9, part.data(), 0);
            bool opaque = bitmap == copied;
            if (opaque) {
                // Pasted without alpha, as a bitmap without alpha is.
                for (size_t i = 3; i < part.size(); i += 4) EXPECT_EQ(part[i], 255);
            }
            ASSERT_EQ(ZVDrawBitmap(drawn, bitmap, 6, 4, 10, 9, 30, -2, 10, 9, 360, flags), ZV_OK);
            ASSERT_EQ(ZVPasteBitmapAlpha(pasted, frame, 30, -2), ZV_OK);
            EXPECT_TRUE(picture(drawn) == picture(pasted)) << "frame of bitmap " << bitmap;
            ZVDiscardBitmap(frame);
            ZVDestroyWindow(drawn);
            ZVDestroyWindow(pasted);
        }
    }
}

// Scaled and turned, a sprite with every step of alpha blends each pixel within one step of
// straight alpha's formula, as the pastes promise.
TEST(DrawBitmap, TurnedSpritesBlendByAlphaWithinOneStep) {
    sprite soft(12, 10, [](int x, int y) {
        return static_cast<uint32_t>((x * 23 + y * 7) & 255) << 24 |
               static_cast<uint32_t>((200 - x * 10) | (y * 25) << 8 | 90 << 16);
    });
    int bitmap = soft.make();
    const draw_args cases[] = {{0, 0, 12, 10, 3, 4, 24, 20, 90, ZV_FLIP_Y},
                               {0, 0, 12, 10, 6, 5, 30, 17, 41, 0}};
    for (const draw_args &a : cases) {
        int w = scene_window(40, 30);
        ASSERT_EQ(a.draw(w, bitmap), ZV_OK);
        EXPECT_EQ(wrong_nearest(w, soft, a, a.angle == 90 ? 0 : 1e-6, 1), 0);
        ZVDestroyWindow(w);
    }
}

#ifndef _WIN32
// Our platform's AlphaBlend rounds each channel to nearest, and a turned or scaled draw
// blends exactly so: at twice the size it draws what pasting a bitmap of twice the size does.
// (Windows promises the paste within one step, as the test above holds the draw.)
TEST(DrawBitmap, ScaledSpritesBlendExactlyAsThePastes) {
    sprite soft(12, 10, [](int x, int y) {
        return static_cast<uint32_t>((x * 23 + y * 7) & 255) << 24 |
               static_cast<uint32_t>((200 - x * 10) | (y * 25) << 8 | 90 << 16);
    });
    sprite doubled(24, 20, [&](int x, int y) { return soft.at(x / 2, y / 2); });
    int bitmap = soft.make(), big = doubled.make();
    int drawn = scene_window(40, 30), pasted = scene_window(40, 30);
    ASSERT_EQ(ZVDrawBitmap(drawn, bitmap, 0, 0, 12, 10, 3, 4, 24, 20, 0, 0), ZV_OK);
    ASSERT_EQ(ZVPasteBitmapAlpha(pasted, big, 3, 4), ZV_OK);
    EXPECT_TRUE(picture(drawn) == picture(pasted));
    ZVDestroyWindow(drawn);
    ZVDestroyWindow(pasted);
}
#endif

// Bilinear sampling: centre-based weights of premultiplied pixels, the part's outer pixels
// standing in beyond its edges, within 2 steps (the weights are 256ths).
TEST(DrawBitmap, SmoothSamplingWeighsTheFourNearestCentres) {
    sprite soft(9, 7, [](int x, int y) {
        uint32_t alpha = x == 0 || y == 6 ? 0 : x == 8 ? 128 : 255;
        return alpha << 24 |
               static_cast<uint32_t>(x * 30 | (y * 40) << 8 | ((x * y * 9) & 255) << 16);
    });
    int bitmap = soft.make();
    const draw_args cases[] = {{0, 0, 9, 7, 2, 1, 36, 28, 0, ZV_SMOOTH},
                               {1, 1, 6, 5, 3, 2, 25, 20, 0, ZV_SMOOTH | ZV_FLIP_X},
                               {0, 0, 9, 7, 8, 6, 27, 21, 28, ZV_SMOOTH},
                               {0, 0, 9, 7, 10, 8, 5, 4, 90, ZV_SMOOTH}};
    for (const draw_args &a : cases) {
        int w = scene_window(44, 34);
        ASSERT_EQ(a.draw(w, bitmap), ZV_OK);
        EXPECT_EQ(wrong_smooth(w, soft, a, 2), 0);
        ZVDestroyWindow(w);
    }
}

// Frames of a sprite sheet at its edges: a source rectangle reaching off the bitmap draws only
// its part on the bitmap, at the place the whole rectangle maps it to; smooth sampling of a
// frame never reads its neighbours, however much it enlarges it.
TEST(DrawBitmap, SheetFramesAtTheEdgesKeepToTheirOwnPixels) {
    // Four frames of 8 x 8, each its own pure colour with a one-pixel white border.
    const uint32_t colours[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFF00FFFFu};
    sprite sheet(16, 16, [&](int x, int y) {
        bool border = x % 8 == 0 || x % 8 == 7 || y % 8 == 0 || y % 8 == 7;
        return border ? 0xFFFFFFFFu : colours[(y / 8) * 2 + x / 8];
    });
    int bitmap = sheet.make();
    const draw_args off_edges[] = {{-4, -3, 12, 11, 2, 2, 24, 22, 0, 0},
                                   {10, 12, 9, 7, 5, 6, 18, 14, 0, ZV_FLIP_X},
                                   {12, -2, 8, 8, 20, 4, 16, 16, 90, 0},
                                   {-20, 0, 8, 8, 0, 0, 16, 16, 0, 0}};
    for (const draw_args &a : off_edges) {
        int w = scene_window(40, 32);
        ASSERT_EQ(a.draw(w, bitmap), ZV_OK) << a.name();
        EXPECT_EQ(wrong_nearest(w, sheet, a, 0), 0);
        ZVDestroyWindow(w);
    }
    // The bottom-right frame's inside, enlarged 5 times and turned: only its own colour (and
    // the scene) shows, though every sample at its edge has a neighbour beyond.
    int w = scene_window(60, 60);
    std::vector<ZVCOLOUR> scene_only(60 * 60), shown(60 * 60);
    ZVGetPixels(w, 0, 0, 60, 60, scene_only.data(), 60);
    ASSERT_EQ(ZVDrawBitmap(w, bitmap, 9, 9, 6, 6, 15, 15, 30, 30, 20, ZV_SMOOTH), ZV_OK);
    ZVGetPixels(w, 0, 0, 60, 60, shown.data(), 60);
    const ZVCOLOUR inside = colours[3] & 0xFFFFFF;
    int frame_pixels = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == scene_only[i]) continue;
        EXPECT_EQ(shown[i], inside) << "pixel " << i % 60 << "," << i / 60;
        frame_pixels += shown[i] == inside;
    }
    EXPECT_GT(frame_pixels, 700); // about 30 x 30
    ZVDestroyWindow(w);
}

// A colour key makes its pixels transparent in every paste and draw: plain and alpha pastes,
// showing (over the background colour), draws at the nearest pixel, and smooth draws, where
// a keyed pixel counts as clear instead of lending its colour to the edge. A keyed paste
// leaves out its own key too. ZV_NO_COLOUR_KEY takes the key away.
TEST(DrawBitmap, AColourKeyIsTransparentInEveryPasteAndDraw) {
    const ZVCOLOUR magenta = 0xFF00FF;
    sprite tiles(6, 4, [&](int x, int y) {
        return 0xFF000000u | (x == y || x == 5 ? magenta : 0x204060u + static_cast<uint32_t>(x));
    });
    int keyed = tiles.make();
    ASSERT_EQ(ZVSetBitmapColourKey(keyed, magenta | 0xAB000000u), ZV_OK); // high bits ignored
    sprite cleared(6, 4, [&](int x, int y) {
        uint32_t p = tiles.at(x, y);
        return (p & 0xFFFFFF) == magenta ? 0u : p;
    });
    int copied = scene_window(6, 4); // the same tiles in a bitmap without alpha
    ZVPutPixels(copied, 0, 0, 6, 4, tiles.pixels.data(), 6);
    int opaque = ZVCopyBitmap(copied, 0, 0, 6, 4);
    ZVDestroyWindow(copied);
    ASSERT_EQ(ZVSetBitmapColourKey(opaque, magenta), ZV_OK);
    for (int bitmap : {keyed, opaque}) {
        const draw_args whole{0, 0, 6, 4, 3, 2, 6, 4, 0, 0};
        for (int call = 0; call < 4; ++call) {
            int w = scene_window(20, 16);
            int result = call == 0   ? ZVPasteBitmap(w, bitmap, 3, 2)
                         : call == 1 ? ZVPasteBitmapAlpha(w, bitmap, 3, 2)
                         : call == 2 ? whole.draw(w, bitmap)
                                     : ZVDrawBitmap(w, bitmap, 0, 0, 6, 4, 1, 1, 18, 12, 0, 0);
            ASSERT_EQ(result, ZV_OK) << call;
            draw_args as_drawn = call == 3 ? draw_args{0, 0, 6, 4, 1, 1, 18, 12, 0, 0} : whole;
            EXPECT_EQ(wrong_nearest(w, cleared, as_drawn, 0), 0) << "call " << call;
            ZVDestroyWindow(w);
        }
        int smooth = scene_window(30, 20);
        draw_args a{0, 0, 6, 4, 2, 1, 24, 16, 10, ZV_SMOOTH};
        ASSERT_EQ(a.draw(smooth, bitmap), ZV_OK);
        EXPECT_EQ(wrong_smooth(smooth, cleared, a, 2), 0);
        ZVDestroyWindow(smooth);
        // A keyed paste with another key leaves out both colours.
        int both = scene_window(10, 8);
        ZVCOLOUR other = tiles.at(1, 0) & 0xFFFFFF;
        ASSERT_EQ(ZVPasteBitmapKeyed(both, bitmap, 1, 1, other), ZV_OK);
        picture p(both);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                ZVCOLOUR colour = tiles.at(x, y) & 0xFFFFFF;
                bool left_out = colour == magenta || colour == other;
                EXPECT_EQ(p.at(x + 1, y + 1), left_out ? under(x + 1, y + 1) : colour);
            }
        // Shown, the keyed pixels take the window's background colour.
        ZVSetBackground(both, k_green);
        ASSERT_EQ(ZVShowBitmap(both, bitmap), ZV_OK);
        picture shown(both);
        EXPECT_EQ(shown.count(k_green), 8); // the diagonal and the last column
        // Without the key, the magenta pixels are pasted again.
        ASSERT_EQ(ZVSetBitmapColourKey(bitmap, ZV_NO_COLOUR_KEY), ZV_OK);
        ASSERT_EQ(ZVPasteBitmap(both, bitmap, 0, 0), ZV_OK);
        EXPECT_EQ(picture(both).count(magenta), 8);
        ZVDestroyWindow(both);
    }
}

// Bad handles first, then the sizes, flags and angle; empty rectangles and sources wholly off
// the bitmap draw nothing and succeed.
TEST(DrawBitmap, BadArgumentsAreRefusedAndEmptyDrawsDrawNothing) {
    sprite s = checker_sprite(4, 4);
    int bitmap = s.make();
    int w = scene_window(10, 10);
    EXPECT_EQ(ZVDrawBitmap(0, 0, 0, 0, 4, 4, 0, 0, 4, 4, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVDrawBitmap(w, 0, 0, 0, 4, 4, 0, 0, 4, 4, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, -1, 4, 0, 0, 4, 4, 0, 0), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 0, 0, -4, 4, 0, 0), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, -4, 0, 0, 4, 4, 0, 0), ZV_ERR_BAD_HEIGHT);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 0, 0, 4, INT32_MIN, 0, 0), ZV_ERR_BAD_HEIGHT);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 0, 0, 4, 4, 0, 8), ZV_ERROR);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 0, 0, 4, 4, std::nan(""), 0), ZV_ERROR);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 0, 0, 4, 4, HUGE_VAL, 0), ZV_ERROR);
    EXPECT_EQ(ZVGetLastError(), ZV_OK); // none of these is kept
    picture before(w);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 0, 4, 0, 0, 4, 4, 0, 0), ZV_OK);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 0, 0, 4, 0, 30, 0), ZV_OK);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 4, 0, 4, 4, 0, 0, 8, 8, 30, 0), ZV_OK);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, INT32_MIN, INT32_MIN, 4, 4, 0, 0, 8, 8, 0, 0), ZV_OK);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, 100, 100, 8, 8, 45, ZV_SMOOTH), ZV_OK);
    EXPECT_TRUE(picture(w) == before);
    // Sizes and places at the ends of int stay clipped and finish at once.
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX,
                           INT32_MAX, 1e9, 0),
              ZV_OK);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, INT32_MAX - 2, INT32_MAX - 2, INT32_MAX,
                           INT32_MAX, 0, ZV_SMOOTH),
              ZV_OK);
    EXPECT_EQ(ZVDrawBitmap(w, bitmap, 0, 0, 4, 4, -3, -3, 1, 1, -1e300, 0), ZV_OK);
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVSetBitmapColourKey(0, 0), ZV_ERR_BAD_BITMAP);
    ZVDiscardBitmap(bitmap);
    EXPECT_EQ(ZVSetBitmapColourKey(bitmap, 0), ZV_ERR_BAD_BITMAP);
}
