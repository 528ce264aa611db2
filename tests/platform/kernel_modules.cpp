// GetCommandLineA and GetModuleHandleA: a host finds its own module from its command line.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The host's way of naming itself: the first word of the command line, from its last '/',
// ':' or '\'. The test uses it as the oracle, since the library scans exactly so.
std::string scan_program_name(const char *command_line) {
    std::string name;
    for (const char *p = command_line; *p != '\0' && *p != ' '; ++p) {
        if (*p == '/' || *p == ':' || *p == '\\') {
            name.clear();
        } else {
            name += *p;
        }
    }
    return name;
}

std::string expected_command_line() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    for (char &c : text) {
        if (c == '\0') c = ' ';
    }
    return text;
}

// The child's whole run: a host started under this name finds itself at the first attempt.
// It runs before main, so the child is no test of its own; its exit status is the result.
int child_check() {
    std::string name = scan_program_name(GetCommandLineA());
    HMODULE found = GetModuleHandleA(name.c_str());
    if (found != nullptr && found == GetModuleHandleA(nullptr)) return 0;
    fprintf(stderr, "GetModuleHandleA(\"%s\") gave %p, the main program is %p\n", name.c_str(),
            static_cast<void *>(found), static_cast<void *>(GetModuleHandleA(nullptr)));
    return 1;
}

struct child_run {
    child_run() {
        if (getenv("ZELVAN_MODULE_CHILD") != nullptr) _exit(child_check());
    }
} g_child_run;

// Runs this test program again under another argv[0]; its exit status, or -1.
int run_child_named(const char *argv0) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("ZELVAN_MODULE_CHILD", "1", 1);
        char *argv[] = {const_cast<char *>(argv0), nullptr};
        execv("/proc/self/exe", argv);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(kernel_CommandLine, JoinsTheWordsWithSingleSpacesUnquoted) {
    const char *line = GetCommandLineA();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(std::string(line), expected_command_line());
    EXPECT_EQ(GetCommandLineA(), line); // one buffer for the whole process
}

TEST(kernel_ModuleHandle, NullAndTheProgramNamesGiveTheMainProgram) {
    HMODULE main_program = GetModuleHandleA(nullptr);
    ASSERT_NE(main_program, nullptr);
    EXPECT_EQ(GetModuleHandleA(scan_program_name(GetCommandLineA()).c_str()), main_program);
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

// A host started under any name finds itself at the first attempt.
TEST(kernel_ModuleHandle, HostsUnderUnusualNamesFindThemselves) {
    EXPECT_EQ(run_child_named("plain"), 0);
    EXPECT_EQ(run_child_named("/usr/local/bin/draw"), 0);
    EXPECT_EQ(run_child_named("D:\\apps\\draw.exe"), 0);
    EXPECT_EQ(run_child_named("\"D:\\Program Files\\draw.exe\""), 0); // scans as "Program"
    EXPECT_EQ(run_child_named("\"quoted.exe\""), 0);                  // ends in a quote
    EXPECT_EQ(run_child_named(""), 0);                                // an empty name
}
