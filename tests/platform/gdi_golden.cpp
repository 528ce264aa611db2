// Golden pictures: runs every *.scene of the golden directory with the GDI calls the
// library makes for each drawing operation, and compares the surface with the scene's .bmp
// pixel for pixel. ZELVAN_SCENE_DIR, when set, names another directory of scenes (with
// their pictures) to check instead. On a mismatch the produced picture is written next to
// the test as golden_out/NAME.bmp.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string scene_dir() {
    const char *custom = getenv("ZELVAN_SCENE_DIR");
    return custom && *custom ? custom : ZELVAN_GOLDEN_DIR;
}

std::vector<std::string> scene_names() {
    std::vector<std::string> names;
    DIR *dir = opendir(scene_dir().c_str());
    if (!dir) return names;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > 6 && name.compare(name.size() - 6, 6, ".scene") == 0)
            names.push_back(name.substr(0, name.size() - 6));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// ---- 24-bit BMP files ----

struct picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels; // top-down rows
};

uint32_t read_le(const unsigned char *p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; i--) value = value << 8 | p[i];
    return value;
}

// Reads a 24-bit BMP (bottom-up unless the height is negative); false if it is not one.
bool read_bmp(const std::string &path, picture *out) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return false;
    uint32_t offset = read_le(&data[10], 4);
    int32_t width = (int32_t)read_le(&data[18], 4);
    int32_t height = (int32_t)read_le(&data[22], 4);
    if (read_le(&data[28], 2) != 24 || width <= 0 || height == 0) return false;
    bool top_down = height < 0;
    height = abs(height);
    size_t row_bytes = ((size_t)width * 3 + 3) & ~(size_t)3;
    if (data.size() < offset + row_bytes * height) return false;
    out->width = width;
    out->height = height;
    out->pixels.resize((size_t)width * height);
    for (int y = 0; y < height; y++) {
        const unsigned char *row = &data[offset + row_bytes * (top_down ? y : height - 1 - y)];
        for (int x = 0; x < width; x++)
            out->pixels[(size_t)y * width + x] = RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    }
    return true;
}

void write_le(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back((char)(value >> (8 * i) & 0xFF));
}

void write_bmp(const std::string &path, const picture &p) {
    size_t row_bytes = ((size_t)p.width * 3 + 3) & ~(size_t)3;
    std::string out = "BM";
    write_le(out, (uint32_t)(54 + row_bytes * p.height), 4);
    write_le(out, 0, 4);
    write_le(out, 54, 4);
    write_le(out, 40, 4);
    write_le(out, (uint32_t)p.width, 4);
    write_le(out, (uint32_t)p.height, 4);
    write_le(out, 1, 2);
    write_le(out, 24, 2);
    for (int i = 0; i < 6; i++) write_le(out, 0, 4);
    for (int y = p.height - 1; y >= 0; y--) {
        for (int x = 0; x < p.width; x++) {
            COLORREF c = p.pixels[(size_t)y * p.width + x];
            out.push_back((char)GetBValue(c));
            out.push_back((char)GetGValue(c));
            out.push_back((char)GetRValue(c));
        }
        out.append(row_bytes - (size_t)p.width * 3, '\0');
    }
    std::ofstream(path, std::ios::binary) << out;
}

// ---- The library's drawing state for one window, as the scene language drives it ----

int pen_style_for(int line_style) {
    switch (line_style) {
    case 1:
        return PS_DASH;
    case 2:
        return PS_DASHDOT;
    case 3:
        return PS_DASHDOTDOT;
    case 4:
        return PS_NULL;
    default:
        return PS_SOLID;
    }
}

int hatch_for(int fill_style) {
    switch (fill_style) {
    case 1:
        return HS_BDIAGONAL;
    case 2:
        return HS_FDIAGONAL;
    case 3:
        return HS_DIAGCROSS;
    case 4:
        return HS_HORIZONTAL;
    case 5:
        return HS_VERTICAL;
    default:
        return -1;
    }
}

struct window_state {
    std::unique_ptr<gdi_canvas> canvas;
    COLORREF foreground = 0, fill = 0, background = RGB(255, 255, 255);
    int line_style = 0, pen_style = PS_SOLID, line_width = 1, fill_style = 0, hatch = -1;
    HPEN pen = nullptr;     // null while the stock black pen is selected
    HBRUSH brush = nullptr; // null while the stock black brush is selected
    int cur_x = 0, cur_y = 0;

    ~window_state() {
        if (!canvas) return;
        SelectObject(canvas->dc, GetStockObject(BLACK_PEN));
        SelectObject(canvas->dc, GetStockObject(BLACK_BRUSH));
        if (pen) DeleteObject(pen);
        if (brush) DeleteObject(brush);
    }
    HDC dc() const { return canvas->dc; }
    HGDIOBJ fill_brush() const { return brush ? (HGDIOBJ)brush : GetStockObject(BLACK_BRUSH); }

    // The pen rule: dashed pens are one pixel wide, solid and null pens take the width.
    void rebuild_pen() {
        int width = (pen_style == PS_SOLID || pen_style == PS_NULL) ? line_width : 1;
        HPEN next = CreatePen(pen_style, width, foreground);
        SelectObject(dc(), next);
        if (pen) DeleteObject(pen);
        pen = next;
    }
    void rebuild_brush() {
        HBRUSH next = hatch == -1 ? CreateSolidBrush(fill) : CreateHatchBrush(hatch, fill);
        SelectObject(dc(), next);
        if (brush) DeleteObject(brush);
        brush = next;
    }
    void clear() {
        HBRUSH b = CreateSolidBrush(background);
        RECT all = {0, 0, canvas->width + 1, canvas->height + 1};
        FillRect(dc(), &all, b);
        DeleteObject(b);
    }
};

// The radial points of an arc or pie: 100 pixels out at the start and end angles; a
// sweep of 360 or more (read on the float's bits) makes them coincide.
void radial_points(int xc, int yc, float start, float sweep, POINT *s, POINT *e) {
    double a = start * 0.017453292519943295;
    s->x = xc + (int)(100 * cos(a));
    s->y = yc + (int)(100 * sin(-a));
    int32_t bits;
    memcpy(&bits, &sweep, sizeof(bits));
    if (bits >= 0x43B40000) {
        *e = *s;
        return;
    }
    double b = ((double)start + (double)sweep) * 0.017453292519943295;
    e->x = xc + (int)(100 * cos(b));
    e->y = yc + (int)(100 * sin(-b));
}

unsigned read_hex(std::istream &in) {
    std::string word;
    in >> word;
    return (unsigned)strtoul(word.c_str(), nullptr, 16);
}

// Runs the shape operations; false for an unknown word.
bool run_shape(window_state &w, const std::string &op, std::istream &in) {
    HDC dc = w.dc();
    int a, b, c, d;
    if (op == "circle" || op == "fillcircle") {
        in >> a >> b >> c;
        if (op == "circle") SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, a - c, b - c, a + c, b + c);
        if (op == "circle") SelectObject(dc, w.fill_brush());
    } else if (op == "arc" || op == "pie") {
        float start, sweep;
        in >> a >> b >> c >> start >> sweep;
        POINT s, e;
        radial_points(a, b, start, sweep, &s, &e);
        if (op == "arc")
            Arc(dc, a - c, b - c, a + c, b + c, s.x, s.y, e.x, e.y);
        else
            Pie(dc, a - c, b - c, a + c, b + c, s.x, s.y, e.x, e.y);
    } else if (op == "rect" || op == "fillrect") {
        in >> a >> b >> c >> d;
        if (op == "rect") SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, std::min(a, c), std::min(b, d), std::max(a, c), std::max(b, d));
        if (op == "rect") SelectObject(dc, w.fill_brush());
    } else if (op == "invert") {
        in >> a >> b >> c >> d;
        RECT r = {std::min(a, c), std::min(b, d), std::max(a, c) + 1, std::max(b, d) + 1};
        InvertRect(dc, &r);
    } else if (op == "flood") {
        in >> a >> b;
        ExtFloodFill(dc, a, b, read_hex(in) & 0xFFFFFF, FLOODFILLBORDER);
    } else {
        return false;
    }
    return true;
}

// Runs the attribute operations; false for an unknown word.
bool run_attribute(window_state &w, const std::string &op, std::istream &in) {
    int a;
    if (op == "fg") {
        w.foreground = read_hex(in) & 0xFFFFFF;
        SetTextColor(w.dc(), w.foreground);
        w.rebuild_pen();
    } else if (op == "bg") {
        w.background = read_hex(in) & 0xFFFFFF;
    } else if (op == "lw") {
        in >> a;
        if (a != w.line_width) {
            w.line_width = a;
            w.rebuild_pen();
        }
    } else if (op == "ls") {
        in >> a;
        if (a != w.line_style) {
            w.line_style = a;
            if (pen_style_for(a) != w.pen_style) {
                w.pen_style = pen_style_for(a);
                w.rebuild_pen();
            }
        }
    } else if (op == "fs") {
        in >> a;
        if (a != w.fill_style) {
            w.fill_style = a;
            if (hatch_for(a) != w.hatch) {
                w.hatch = hatch_for(a);
                w.rebuild_brush();
            }
        }
    } else if (op == "fc") {
        COLORREF colour = read_hex(in) & 0xFFFFFF;
        if (colour != w.fill) {
            w.fill = colour;
            w.rebuild_brush();
        }
    } else {
        return false;
    }
    return true;
}

// Runs the position, line and pixel operations; false for an unknown word.
bool run_line(window_state &w, const std::string &op, std::istream &in) {
    int a, b;
    if (op == "moveto") {
        in >> w.cur_x >> w.cur_y;
    } else if (op == "line") {
        in >> a >> b;
        MoveToEx(w.dc(), w.cur_x, w.cur_y, nullptr);
        LineTo(w.dc(), a, b);
        w.cur_x = a;
        w.cur_y = b;
    } else if (op == "plot") {
        in >> a >> b;
        MoveToEx(w.dc(), a, b, nullptr);
        LineTo(w.dc(), a + 1, b);
        MoveToEx(w.dc(), a, b, nullptr);
        w.cur_x = a;
        w.cur_y = b;
    } else if (op == "setpixel") {
        in >> a >> b;
        SetPixel(w.dc(), a, b, read_hex(in) & 0xFFFFFF);
    } else if (op == "clear") {
        w.clear();
    } else {
        return false;
    }
    return true;
}

// Runs a scene script; returns an error message, empty on success.
std::string run_scene(const std::string &path, window_state &w) {
    std::ifstream file(path);
    if (!file) return "cannot read " + path;
    std::string op;
    while (file >> op) {
        if (op[0] == '#') {
            std::string rest;
            std::getline(file, rest);
            continue;
        }
        if (op == "size") {
            int width, height;
            file >> width >> height;
            w.canvas = std::make_unique<gdi_canvas>(width, height);
            SelectObject(w.dc(), GetStockObject(BLACK_PEN));
            SelectObject(w.dc(), GetStockObject(BLACK_BRUSH));
            continue;
        }
        if (!w.canvas) return "the first operation must be size";
        if (!run_attribute(w, op, file) && !run_line(w, op, file) && !run_shape(w, op, file))
            return "unknown operation " + op;
    }
    return w.canvas ? "" : "empty scene";
}

class GdiGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(GdiGolden, MatchesTheReferencePicture) {
    std::string base = scene_dir() + "/" + GetParam();
    picture expected;
    ASSERT_TRUE(read_bmp(base + ".bmp", &expected)) << base << ".bmp";
    window_state w;
    std::string error = run_scene(base + ".scene", w);
    ASSERT_EQ(error, "");
    ASSERT_EQ(w.canvas->width, expected.width);
    ASSERT_EQ(w.canvas->height, expected.height);
    picture produced = {expected.width, expected.height, w.canvas->pixels()};
    int differing = 0;
    for (int y = 0; y < expected.height; y++) {
        for (int x = 0; x < expected.width; x++) {
            COLORREF want = expected.pixels[(size_t)y * expected.width + x];
            COLORREF got = produced.pixels[(size_t)y * expected.width + x];
            if (want == got) continue;
            if (differing++ < 12)
                ADD_FAILURE() << GetParam() << ": pixel (" << x << ", " << y << ") is " << std::hex
                              << got << ", reference " << want;
        }
    }
    if (differing) {
        mkdir("golden_out", 0755);
        write_bmp("golden_out/" + GetParam() + ".bmp", produced);
        ADD_FAILURE() << differing << " pixels differ; wrote golden_out/" << GetParam() << ".bmp";
    }
}

INSTANTIATE_TEST_SUITE_P(gdi_golden, GdiGolden, ::testing::ValuesIn(scene_names()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             return info.param;
                         });

TEST(gdi_golden_set, TheGoldenDirectoryHasScenes) {
    EXPECT_FALSE(scene_names().empty());
}

} // namespace
