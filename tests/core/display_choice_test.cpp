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

// `chosen` is "" or a ZELVAN_DISPLAY setting; no server has display number 59999.
outcome run_probe(const std::string &chosen) {
    std::string command =
        "env -u ZELVAN_DISPLAY DISPLAY=:59999 " + chosen + " " WINDOW_PROBE " 2>&1 >/dev/null";
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
