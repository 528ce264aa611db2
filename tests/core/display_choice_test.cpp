// What the library says and chooses when DISPLAY names an X server that does not answer, and
// how ZELVAN_DISPLAY picks the display: a program run with each, opening one window.
#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <string>

namespace {

struct outcome {
    int status;         // the probe's exit status: 0 when its window opened
    std::string errors; // what it wrote to standard error
};

// `chosen` is "" or settings of ZELVAN_DISPLAY and WAYLAND_DISPLAY; no server has display
// number 59999, and no compositor the socket name zelvan-nobody.
outcome run_probe(const std::string &chosen) {
    std::string command = "env -u ZELVAN_DISPLAY -u WAYLAND_DISPLAY DISPLAY=:59999 " + chosen +
                          " " WINDOW_PROBE " 2>&1 >/dev/null";
    outcome result{-1, ""};
    FILE *output = popen(command.c_str(), "r");
    if (output == nullptr) return result;
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, output)) > 0) result.errors.append(buffer, got);
    int status = pclose(output);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

} // namespace

TEST(DisplayChoice, AnUnansweredDisplayIsToldAndZelvanDisplayChoosesTheDriver) {
    outcome automatic = run_probe("");
    EXPECT_EQ(automatic.status, 0) << "the window stays off screen, but opens";
    EXPECT_EQ(automatic.errors, "zelvan: no X server answers at DISPLAY=:59999, so no window "
                                "appears on screen\n");

    outcome headless = run_probe("ZELVAN_DISPLAY=headless");
    EXPECT_EQ(headless.status, 0);
    EXPECT_EQ(headless.errors, "") << "the X server is not even asked";

    outcome x11 = run_probe("ZELVAN_DISPLAY=x11");
    EXPECT_EQ(x11.status, 1) << "no window can be made without the chosen display";
    EXPECT_NE(x11.errors.find("ZELVAN_DISPLAY=x11 cannot be opened"), std::string::npos)
        << x11.errors;
}

#ifdef ZELVAN_HAVE_WAYLAND_DRIVER
// A WAYLAND_DISPLAY that names no compositor is told, and X11 (here: nothing) then headless
// stand in; asked for by name, Wayland has no stand-in.
TEST(DisplayChoice, AnUnansweredWaylandDisplayIsToldAndTheNextDisplayServes) {
    outcome automatic = run_probe("WAYLAND_DISPLAY=zelvan-nobody");
    EXPECT_EQ(automatic.status, 0) << "the window opens off screen";
    EXPECT_NE(
        automatic.errors.find("no Wayland compositor answers at WAYLAND_DISPLAY=zelvan-nobody"),
        std::string::npos)
        << automatic.errors;
    EXPECT_NE(automatic.errors.find("no X server answers"), std::string::npos) << automatic.errors;

    outcome wayland = run_probe("WAYLAND_DISPLAY=zelvan-nobody ZELVAN_DISPLAY=wayland");
    EXPECT_EQ(wayland.status, 1) << "no window can be made without the chosen display";
    EXPECT_NE(wayland.errors.find("ZELVAN_DISPLAY=wayland cannot be opened"), std::string::npos)
        << wayland.errors;
}
#endif
