// A program that returns from main while its other threads draw ends cleanly, every time.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

TEST(Lifetime, ExitWhileThreadsDrawNeverCrashes) {
    for (int run = 0; run < 50; ++run) {
        char *argv[] = {const_cast<char *>(EXIT_PROBE), nullptr};
        pid_t pid;
        ASSERT_EQ(posix_spawn(&pid, EXIT_PROBE, nullptr, nullptr, argv, environ), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status))
            << "run " << run << " ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        ASSERT_EQ(WEXITSTATUS(status), 0) << "run " << run;
    }
}
