// Every golden scene, played through the public API; the draw buffer must equal the
// reference picture beside it pixel for pixel.
#include "drawing_support.h"
#include "tests/scene/scene_folder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// The library call each step stands for.
void play(int w, const scene_step &s) {
    switch (s.op) {
    case scene_op::ink:
        ZVSetForeground(w, s.colour);
        break;
    case scene_op::paper:
        ZVSetBackground(w, s.colour);
        break;
    case scene_op::fill_colour:
        ZVSetFillColour(w, s.colour);
        break;
    case scene_op::pen_width:
        ZVSetLineWidth(w, s.number);
        break;
    case scene_op::pen_style:
        ZVSetLineStyle(w, s.number);
        break;
    case scene_op::fill_style:
        ZVSetFillStyle(w, s.number);
        break;
    case scene_op::move_to:
        ZVMoveTo(w, s.a.x, s.a.y);
        break;
    case scene_op::line_to:
        ZVLine(w, s.a.x, s.a.y);
        break;
    case scene_op::plot:
        ZVPlot(w, s.a.x, s.a.y);
        break;
    case scene_op::pixel:
        ZVSetPixel(w, s.a.x, s.a.y, s.colour);
        break;
    case scene_op::circle:
        ZVCircle(w, s.a.x, s.a.y, s.number);
        break;
    case scene_op::filled_circle:
        ZVFillCircle(w, s.a.x, s.a.y, s.number);
        break;
    case scene_op::arc:
        ZVArc(w, s.a.x, s.a.y, s.number, s.start, s.sweep);
        break;
    case scene_op::pie:
        ZVPie(w, s.a.x, s.a.y, s.number, s.start, s.sweep);
        break;
    case scene_op::rectangle:
        ZVRectangle(w, s.a.x, s.a.y, s.b.x, s.b.y);
        break;
    case scene_op::filled_rectangle:
        ZVFillRectangle(w, s.a.x, s.a.y, s.b.x, s.b.y);
        break;
    case scene_op::invert:
        ZVInvertRectangle(w, s.a.x, s.a.y, s.b.x, s.b.y);
        break;
    case scene_op::flood:
        ZVFloodFill(w, s.a.x, s.a.y, s.colour);
        break;
    case scene_op::clear:
        ZVClearDrawBuffer(w);
        break;
    }
}

class GoldenScene : public ::testing::TestWithParam<std::string> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenScene);

} // namespace

TEST_P(GoldenScene, DrawsTheReferencePicture) {
    scene_script scene;
    scene_picture expected;
    ASSERT_EQ(read_golden_case(GetParam(), &scene, &expected), "");
    int w = ZVCreateWindow(0, 0, scene.width, scene.height, GetParam().c_str());
    ASSERT_NE(w, 0);
    for (const scene_step &step : scene.steps) play(w, step);
    picture actual(w);
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    int wrong = 0;
    std::ostringstream first;
    for (size_t i = 0; i < expected.pixels.size(); ++i)
        if (actual.pixels[i] != expected.pixels[i] && ++wrong <= 8)
            first << " (" << i % expected.width << "," << i / expected.width << ") " << std::hex
                  << actual.pixels[i] << " not " << expected.pixels[i] << std::dec << ";";
    EXPECT_EQ(wrong, 0) << "first differences:" << first.str();
}

INSTANTIATE_TEST_SUITE_P(Scenes, GoldenScene, ::testing::ValuesIn(golden_scenes().names),
                         [](const auto &info) { return info.param; });

TEST(GoldenFolder, HoldsScenes) {
    EXPECT_EQ(golden_scenes().problem, "");
}
