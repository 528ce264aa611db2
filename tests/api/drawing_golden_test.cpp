// Every golden scene, played through the public API; the draw buffer must equal the
// reference picture beside it pixel for pixel.
#include "drawing_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> scene_names() {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(ZELVAN_GOLDEN_DIR))
        if (entry.path().extension() == ".scene") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The pixels of a 24-bit bottom-up BMP as top-down COLORREFs; empty when it is not one.
std::vector<ZVCOLOUR> read_bmp(const fs::path &path, int *width, int *height) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    auto word = [&](size_t at) {
        int32_t value;
        std::memcpy(&value, &b[at], sizeof value); // BMP fields are little-endian, as we are
        return value;
    };
    std::vector<ZVCOLOUR> pixels;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24) return pixels;
    *width = word(18), *height = word(22);
    size_t offset = word(10), stride = (*width * 3 + 3) & ~3;
    if (*width <= 0 || *height <= 0 || b.size() < offset + stride * *height) return pixels;
    for (int y = *height - 1; y >= 0; --y)
        for (int x = 0; x < *width; ++x) {
            const unsigned char *bgr = &b[offset + stride * y + 3 * x];
            pixels.push_back(bgr[2] | bgr[1] << 8 | bgr[0] << 16);
        }
    return pixels;
}

using words = std::vector<std::string>;
int i(const std::string &word) {
    return std::stoi(word);
}
float f(const std::string &word) {
    return std::stof(word);
}
ZVCOLOUR hex(const std::string &word) {
    return std::stoul(word, nullptr, 16);
}

// The scene language: each operation's number of arguments and the call it stands for.
struct operation {
    size_t arguments;
    void (*play)(int w, const words &a);
};
const std::map<std::string, operation> k_operations = {
    {"fg", {1, [](int w, const words &a) { ZVSetForeground(w, hex(a[0])); }}},
    {"bg", {1, [](int w, const words &a) { ZVSetBackground(w, hex(a[0])); }}},
    {"fc", {1, [](int w, const words &a) { ZVSetFillColour(w, hex(a[0])); }}},
    {"lw", {1, [](int w, const words &a) { ZVSetLineWidth(w, i(a[0])); }}},
    {"ls", {1, [](int w, const words &a) { ZVSetLineStyle(w, i(a[0])); }}},
    {"fs", {1, [](int w, const words &a) { ZVSetFillStyle(w, i(a[0])); }}},
    {"clear", {0, [](int w, const words &) { ZVClearDrawBuffer(w); }}},
    {"moveto", {2, [](int w, const words &a) { ZVMoveTo(w, i(a[0]), i(a[1])); }}},
    {"line", {2, [](int w, const words &a) { ZVLine(w, i(a[0]), i(a[1])); }}},
    {"plot", {2, [](int w, const words &a) { ZVPlot(w, i(a[0]), i(a[1])); }}},
    {"setpixel", {3, [](int w, const words &a) { ZVSetPixel(w, i(a[0]), i(a[1]), hex(a[2])); }}},
    {"flood", {3, [](int w, const words &a) { ZVFloodFill(w, i(a[0]), i(a[1]), hex(a[2])); }}},
    {"circle", {3, [](int w, const words &a) { ZVCircle(w, i(a[0]), i(a[1]), i(a[2])); }}},
    {"fillcircle", {3, [](int w, const words &a) { ZVFillCircle(w, i(a[0]), i(a[1]), i(a[2])); }}},
    {"arc",
     {5, [](int w, const words &a) { ZVArc(w, i(a[0]), i(a[1]), i(a[2]), f(a[3]), f(a[4])); }}},
    {"pie",
     {5, [](int w, const words &a) { ZVPie(w, i(a[0]), i(a[1]), i(a[2]), f(a[3]), f(a[4])); }}},
    {"rect",
     {4, [](int w, const words &a) { ZVRectangle(w, i(a[0]), i(a[1]), i(a[2]), i(a[3])); }}},
    {"fillrect",
     {4, [](int w, const words &a) { ZVFillRectangle(w, i(a[0]), i(a[1]), i(a[2]), i(a[3])); }}},
    {"invert",
     {4, [](int w, const words &a) { ZVInvertRectangle(w, i(a[0]), i(a[1]), i(a[2]), i(a[3])); }}},
};

class GoldenScene : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(GoldenScene, DrawsTheReferencePicture) {
    std::string base = (fs::path(ZELVAN_GOLDEN_DIR) / GetParam()).string();
    int width = 0, height = 0;
    std::vector<ZVCOLOUR> expected = read_bmp(base + ".bmp", &width, &height);
    ASSERT_FALSE(expected.empty()) << "no 24-bit reference picture " << base << ".bmp";
    std::ifstream scene(base + ".scene");
    int w = 0;
    std::string line;
    for (int number = 1; std::getline(scene, line); ++number) {
        std::istringstream in(line);
        words a{std::istream_iterator<std::string>(in), {}};
        if (a.empty() || a[0][0] == '#') continue;
        std::string op = a[0];
        a.erase(a.begin());
        if (op == "size" && a.size() == 2) {
            w = ZVCreateWindow(0, 0, i(a[0]), i(a[1]), GetParam().c_str());
            ASSERT_NE(w, 0);
            continue;
        }
        auto known = k_operations.find(op);
        ASSERT_TRUE(w && known != k_operations.end() && a.size() == known->second.arguments)
            << "line " << number << ": " << line;
        known->second.play(w, a);
    }
    picture actual(w);
    ASSERT_EQ(actual.width, width);
    ASSERT_EQ(actual.height, height);
    int wrong = 0;
    std::ostringstream first;
    for (int i = 0; i < width * height; ++i)
        if (actual.pixels[i] != expected[i] && ++wrong <= 8)
            first << std::hex << " (" << std::dec << i % width << "," << i / width << ") "
                  << std::hex << actual.pixels[i] << " not " << expected[i] << ";";
    EXPECT_EQ(wrong, 0) << "first differences:" << first.str();
}

INSTANTIATE_TEST_SUITE_P(Scenes, GoldenScene, ::testing::ValuesIn(scene_names()),
                         [](const auto &info) { return info.param; });
