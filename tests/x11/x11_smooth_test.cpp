// Smooth shapes on a real X server: the smooth scene drawn into a window reaches the screen
// exactly as a canvas, which no server sees, draws it.
#include "x11_session.h"

#include "../api/smooth_scene.h"

using namespace x11_session;

TEST(X11Smooth, TheSmoothSceneReachesTheScreenAsACanvasDrawsIt) {
    if (!run_in_child()) return;
    using namespace smooth_scene;
    std::vector<ZVCOLOUR> off_screen = drawn_on_canvas(draw_zelvan);
    ASSERT_FALSE(off_screen.empty());
    int w = ZVCreateWindow(20, 20, k_width, k_height, "smooth scene");
    ASSERT_NE(w, 0);
    draw_zelvan(w);
    ZVRedraw(w);
    client_area area = library_client_area(w);
    int wrong = -1;
    EXPECT_TRUE(poll_until([&] {
        std::vector<unsigned long> shown = capture(area.x, area.y, k_width, k_height);
        wrong = 0;
        for (size_t i = 0; i < off_screen.size(); ++i) {
            auto rgb = static_cast<uint32_t>(shown[i]);
            ZVCOLOUR c = (rgb >> 16 & 255) | (rgb & 0xFF00) | (rgb & 255) << 16;
            wrong += c != off_screen[i];
        }
        return wrong == 0;
    })) << wrong
        << " pixels differ on the screen";
    ZVDestroyWindow(w);
}
