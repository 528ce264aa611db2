// Golden pictures: plays every scene of the golden folder with the GDI calls the library makes
// for each drawing call, on the POSIX platform layer, and compares the surface with the
// scene's picture pixel for pixel. ZELVAN_SCENE_DIR, when set, names another folder of scenes
// (with their pictures) to check instead. On a mismatch the produced picture is written next
// to the test as golden_out/NAME.bmp.
#include "gdi_test_util.h"
#include "tests/scene/scene_folder.h"
#include "tests/scene/scene_gdi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>
#include <string>

namespace {

class GdiGolden : public ::testing::TestWithParam<std::string> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GdiGolden);

TEST_P(GdiGolden, MatchesTheReferencePicture) {
    scene_script scene;
    scene_picture expected;
    ASSERT_EQ(read_golden_case(GetParam(), &scene, &expected), "");
    gdi_canvas canvas(scene.width, scene.height);
    play_scene_on_gdi(scene, canvas.dc);
    scene_picture produced = {scene.width, scene.height, canvas.pixels()};
    int differing = 0;
    for (int y = 0; y < expected.height; y++) {
        for (int x = 0; x < expected.width; x++) {
            if (expected.at(x, y) == produced.at(x, y)) continue;
            if (differing++ < 12)
                ADD_FAILURE() << GetParam() << ": pixel (" << x << ", " << y << ") is " << std::hex
                              << produced.at(x, y) << ", reference " << expected.at(x, y);
        }
    }
    if (differing) {
        mkdir("golden_out", 0755);
        write_scene_picture("golden_out/" + GetParam() + ".bmp", produced);
        ADD_FAILURE() << differing << " pixels differ; wrote golden_out/" << GetParam() << ".bmp";
    }
}

INSTANTIATE_TEST_SUITE_P(gdi_golden, GdiGolden, ::testing::ValuesIn(golden_scenes().names),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             return info.param;
                         });

TEST(gdi_golden_set, TheGoldenFolderHoldsScenes) {
    EXPECT_EQ(golden_scenes().problem, "");
}

std::string parse(const std::string &text, scene_script *scene) {
    std::istringstream in(text);
    return parse_scene(in, scene);
}

TEST(scene_language, ReadsEveryKindOfValue) {
    scene_script scene;
    ASSERT_EQ(parse("# a comment\n\ncanvas 30x20\n"
                    "ink #FF8000 # red and some green\n"
                    "pixel -3,4 #12785634\n"
                    "pen-style dash-dot\n"
                    "fill-style 9\n"
                    "arc 5,6 7 -22.5 360\n"
                    "filled-rectangle 1,2 3,4\n",
                    &scene),
              "");
    EXPECT_EQ(scene.width, 30);
    EXPECT_EQ(scene.height, 20);
    ASSERT_EQ(scene.steps.size(), 6u);
    EXPECT_EQ(scene.steps[0].colour, 0x0080FFu); // 0x00BBGGRR, as the library takes it
    EXPECT_EQ(scene.steps[0].line, 4);
    EXPECT_EQ(scene.steps[1].a.x, -3);
    EXPECT_EQ(scene.steps[1].colour, 0x12345678u); // the top byte kept
    EXPECT_EQ(scene.steps[2].number, 2);
    EXPECT_EQ(scene.steps[3].number, 9); // styles outside the table pass as numbers
    EXPECT_EQ(scene.steps[4].start, -22.5f);
    EXPECT_EQ(scene.steps[4].sweep, 360.0f);
    EXPECT_EQ(scene.steps[5].b.y, 4);
}

TEST(scene_language, RefusesMalformedScenesNamingTheLine) {
    scene_script scene;
    EXPECT_EQ(parse("", &scene), "no canvas: the scene is empty");
    EXPECT_NE(parse("plot 1,1\n", &scene), ""); // the canvas comes first
    EXPECT_NE(parse("canvas 0x10\n", &scene), "");
    const char *bad_steps[] = {
        "plot 1 1",    "plot 1,",        "plot 1,1 2,2",  "ink FF0000",    "ink #FF00",
        "ink #0xFF00", "pen-style wavy", "arc 1,1 2 x 3", "pen-width 1.5", "circle 1,1 99999999999",
        "spiral 1,1"};
    for (const char *step : bad_steps) {
        std::string error = parse(std::string("canvas 9x9\n") + step + "\n", &scene);
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << step << ": " << error;
    }
}

} // namespace
