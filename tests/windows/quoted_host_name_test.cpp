// Whatever command line a program is started with, the library finds its host module: a
// launcher quotes the program's path, and it may hold spaces.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string probe_path() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, length);
    return own.substr(0, own.find_last_of('\\') + 1) + "host_name_probe.exe";
}

// Runs the probe with `command_line` as its command line; its exit code, or -1.
int run_probe_with(const std::string &command_line) {
    std::vector<char> writable(command_line.begin(), command_line.end());
    writable.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string application = probe_path();
    if (!CreateProcessA(application.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return -1;
    DWORD exit_code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exit_code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exit_code);
}

} // namespace

TEST(HostName, QuotedAndUnusualCommandLinesStillWork) {
    EXPECT_EQ(run_probe_with("\"" + probe_path() + "\""), 0);
    EXPECT_EQ(run_probe_with("\"" + probe_path() + "\" /x 5"), 0);
    EXPECT_EQ(run_probe_with("\"C:\\Program Files\\My Apps\\draw.exe\" /x"), 0);
    EXPECT_EQ(run_probe_with("host_name_probe"), 0);
    EXPECT_EQ(run_probe_with("renamed"), 0);
    EXPECT_EQ(run_probe_with(std::string(2000, 'n')), 0);
}
