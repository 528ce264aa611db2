// GetCommandLineA and GetModuleHandleA: a host finds its own module from its command line.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The child's whole run: the program sees the command line and finds itself under the name
// the parent expects. It runs before main, so the child is no test of its own; its exit
// status is the result.
int child_check(const char *expected_line, const char *expected_name) {
    int failures = 0;
    if (strcmp(GetCommandLineA(), expected_line) != 0) {
        fprintf(stderr, "GetCommandLineA() gave \"%s\", expected \"%s\"\n", GetCommandLineA(),
                expected_line);
        failures++;
    }
    HMODULE found = GetModuleHandleA(expected_name);
    if (found == nullptr || found != GetModuleHandleA(nullptr)) {
        fprintf(stderr, "GetModuleHandleA(\"%s\") gave %p, the main program is %p\n", expected_name,
                static_cast<void *>(found), static_cast<void *>(GetModuleHandleA(nullptr)));
        failures++;
    }
    return failures == 0 ? 0 : 1;
}

struct child_run {
    child_run() {
        const char *line = getenv("ZELVAN_CHILD_LINE"), *name = getenv("ZELVAN_CHILD_NAME");
        if (line != nullptr && name != nullptr) _exit(child_check(line, name));
    }
} g_child_run;

// Runs this test program again with the words `argv`; the child expects the command line
// `line` and to find itself as `name`. Its exit status, or -1.
int run_child(std::vector<const char *> argv, const char *line, const char *name) {
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        setenv("ZELVAN_CHILD_LINE", line, 1);
        setenv("ZELVAN_CHILD_NAME", name, 1);
        execv("/proc/self/exe", const_cast<char *const *>(argv.data()));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// The words are joined by single spaces, unquoted, so a host that scans its name as a Win32
// program does (the first word, from its last '/', ':' or '\') finds itself.
TEST(kernel_CommandLine, HostsSeeTheirWordsAndFindThemselvesByTheFirst) {
    EXPECT_EQ(run_child({"plain"}, "plain", "plain"), 0);
    EXPECT_EQ(run_child({"/usr/local/bin/draw", "-v", "two words"},
                        "/usr/local/bin/draw -v two words", "draw"),
              0);
    EXPECT_EQ(run_child({"D:\\apps\\draw.exe", "x"}, "D:\\apps\\draw.exe x", "draw.exe"), 0);
    // A quoted path with a space scans as the word before the space.
    EXPECT_EQ(run_child({"\"D:\\Program Files\\draw.exe\""}, "\"D:\\Program Files\\draw.exe\"",
                        "Program"),
              0);
    EXPECT_EQ(run_child({"\"quoted.exe\""}, "\"quoted.exe\"", "\"quoted.exe\""), 0);
    EXPECT_EQ(run_child({""}, "", ""), 0);
}

TEST(kernel_CommandLine, IsOneBufferForTheWholeProcess) {
    const char *line = GetCommandLineA();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(GetCommandLineA(), line);
}

TEST(kernel_ModuleHandle, NullAndTheProgramFileNameGiveTheMainProgram) {
    HMODULE main_program = GetModuleHandleA(nullptr);
    ASSERT_NE(main_program, nullptr);
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    EXPECT_EQ(GetModuleHandleA(strrchr(exe, '/') + 1), main_program);
}

TEST(kernel_ModuleHandle, LoadedSharedObjectsAreFoundAndOthersAreNot) {
    HMODULE libc = GetModuleHandleA("libc.so.6");
    EXPECT_NE(libc, nullptr);
    EXPECT_NE(libc, GetModuleHandleA(nullptr));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("no_such_module_here.exe"), nullptr);
    EXPECT_EQ(GetLastError(), 126u); // ERROR_MOD_NOT_FOUND
}
