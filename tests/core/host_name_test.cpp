// Whatever name a program is started under, the library finds it as the host module.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char **environ;

static int run_probe_as(const std::string &program_name) {
    char *argv[] = {const_cast<char *>(program_name.c_str()), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, HOST_NAME_PROBE, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

TEST(HostName, ProgramNamesThatAreNotTheFileNameStillWork) {
    EXPECT_EQ(run_probe_as(HOST_NAME_PROBE), 0);
    EXPECT_EQ(run_probe_as("renamed"), 0);
    EXPECT_EQ(run_probe_as("\"/opt/My Programs/draw.exe\""), 0);
    EXPECT_EQ(run_probe_as("\"/opt/apps/draw.exe\""), 0);
    EXPECT_EQ(run_probe_as(""), 0);
    EXPECT_EQ(run_probe_as(std::string(2000, 'n')), 0);
}
