// Golden pictures: plays every scene of the golden folder with the GDI calls the library makes
// for each drawing call, on the POSIX platform layer, and compares the surface with the
// scene's picture pixel for pixel. ZELVAN_SCENE_DIR, when set, names another folder of scenes
// (with their pictures) to check instead. On a mismatch the produced picture is written next
// to the test as golden_out/NAME.bmp.
#include "gdi_test_util.h"
#include "tests/scene/scene_folder.h"
#include "tests/scene/scene_gdi.h"
#include "tests/scene/scene_picture.h"
#include "tests/scene/scene_script.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

const scene_listing &scenes() {
    static const scene_listing listing = list_scenes(golden_folder());
    return listing;
}

class GdiGolden : public ::testing::TestWithParam<std::string> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GdiGolden);

TEST_P(GdiGolden, MatchesTheReferencePicture) {
    std::string base = golden_folder() + "/" + GetParam();
    scene_picture expected;
    ASSERT_TRUE(read_scene_picture(base + ".bmp", &expected))
        << "no 24-bit reference picture " << base << ".bmp";
    scene_script scene;
    ASSERT_EQ(read_scene_file(base + ".scene", &scene), "");
    ASSERT_EQ(scene.width, expected.width);
    ASSERT_EQ(scene.height, expected.height);
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

INSTANTIATE_TEST_SUITE_P(gdi_golden, GdiGolden, ::testing::ValuesIn(scenes().names),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             return info.param;
                         });

TEST(gdi_golden_set, TheGoldenFolderHoldsScenes) {
    EXPECT_EQ(scenes().problem, "");
}

} // namespace
