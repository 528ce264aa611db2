// A program that returns from main with the library's GUI thread starting or serving a window
// gets that thread ended, and the window destroyed, by exit() before ExitProcess kills threads:
// a thread killed in the middle of a system call can hang the exiting process.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string beside_this_program(const char *name) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, length);
    return own.substr(0, own.find_last_of('\\') + 1) + name;
}

struct probe_result {
    int exit_code = -1;
    std::string report;
};

// Runs exit_probe in `mode`; its exit code (-1 if it did not end within a minute) and report.
probe_result run_probe(const char *mode) {
    char directory[MAX_PATH];
    char report_path[MAX_PATH];
    probe_result result;
    if (!GetTempPathA(MAX_PATH, directory) || !GetTempFileNameA(directory, "zvx", 0, report_path))
        return result;
    std::string application = beside_this_program("exit_probe.exe");
    std::string command = "exit_probe \"" + std::string(report_path) + "\" " + mode;
    std::vector<char> writable(command.begin(), command.end());
    writable.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(application.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 99);
        result.exit_code = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::ostringstream text;
    text << std::ifstream(report_path).rdbuf();
    result.report = text.str();
    DeleteFileA(report_path);
    return result;
}

} // namespace

TEST(ProcessExit, AGuiThreadStillStartingIsEndedBeforeExitProcess) {
    // Repeated, since where the thread is when main returns varies from run to run.
    for (int run = 0; run < 5; ++run) {
        probe_result result = run_probe("at-once");
        EXPECT_EQ(result.exit_code, 0) << "run " << run;
        EXPECT_EQ(result.report, "threads started 1 ended 1 returned 1\n") << "run " << run;
    }
}

TEST(ProcessExit, AnOpenWindowIsDestroyedAfterTheHostsLaterExitCode) {
    probe_result result = run_probe("with-window");
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.report, "threads started 1 ended 1 returned 1\n"
                             "window gone\n"
                             "late exit entry worked\n");
}
