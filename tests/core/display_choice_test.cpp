// What the library says and chooses when DISPLAY names an X server that does not answer, and
// how ZELVAN_DISPLAY picks the display: a program run with each, opening one window.
#include <gtest/gtest.h>

#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

struct outcome {
    int status;         // the probe's exit status: 0 when its window opened
    std::string errors; // what it wrote to standard error
};

outcome run_probe(const char *chosen_display) {
    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; ++e) {
        if (strncmp(*e, "DISPLAY=", 8) != 0 && strncmp(*e, "ZELVAN_DISPLAY=", 15) != 0)
            env.push_back(*e);
    }
    env.push_back("DISPLAY=:59999"); // no server has that number
    if (chosen_display != nullptr) env.push_back(std::string("ZELVAN_DISPLAY=") + chosen_display);
    std::vector<char *> vars;
    for (std::string &v : env) vars.push_back(&v[0]);
    vars.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return {-1, ""};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    char *argv[] = {const_cast<char *>(WINDOW_PROBE), nullptr};
    pid_t pid;
    int spawned = posix_spawn(&pid, WINDOW_PROBE, &actions, nullptr, argv, vars.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    outcome result{-1, ""};
    char buffer[512];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0) result.errors.append(buffer, got);
    close(fds[0]);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

} // namespace

TEST(DisplayChoice, AnUnansweredDisplayIsToldAndZelvanDisplayChoosesTheDriver) {
    outcome automatic = run_probe(nullptr);
    EXPECT_EQ(automatic.status, 0) << "the window stays off screen, but opens";
    EXPECT_EQ(automatic.errors, "zelvan: no X server answers at DISPLAY=:59999, so no window "
                                "appears on screen\n");

    outcome headless = run_probe("headless");
    EXPECT_EQ(headless.status, 0);
    EXPECT_EQ(headless.errors, "") << "the X server is not even asked";

    outcome x11 = run_probe("x11");
    EXPECT_EQ(x11.status, 1) << "no window can be made without the chosen display";
    EXPECT_NE(x11.errors.find("ZELVAN_DISPLAY=x11 cannot be opened"), std::string::npos)
        << x11.errors;
}
