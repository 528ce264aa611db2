// A program that loads Zelvan.dll and returns from main without closing anything, for
// process_exit_test: exit_probe REPORT_FILE at-once|with-window
//
// Its first exit-list entry is added before the library loads, so it runs after the
// library's own one and still before ExitProcess: it writes to REPORT_FILE whether the threads
// the library started had ended by then, and how, and whether the window was gone. A second
// entry, added once the library is loaded, runs before the library's and checks that a host's
// exit-time code still gets a working library.
#include "zelvan.h"

#include <windows.h>
// Needs the types of <windows.h>.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace {

const char *g_report_path;
std::vector<HANDLE> g_library_threads;
HWND g_window;
int g_window_at_exit = -1; // what ZVCreateWindow returned in the host's late exit-list entry
decltype(&ZVCreateWindow) g_create;

std::set<DWORD> own_threads() {
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

void report() {
    FILE *file = std::fopen(g_report_path, "w");
    if (!file) return;
    int ended = 0;
    int returned = 0;
    for (HANDLE thread : g_library_threads) {
        DWORD code = 0;
        if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) continue;
        ++ended;
        if (GetExitCodeThread(thread, &code) && code == static_cast<DWORD>(ZV_OK)) ++returned;
    }
    std::fprintf(file, "threads started %d ended %d returned %d\n",
                 static_cast<int>(g_library_threads.size()), ended, returned);
    if (g_window) std::fprintf(file, "window %s\n", IsWindow(g_window) ? "open" : "gone");
    if (g_window_at_exit != -1)
        std::fprintf(file, "late exit entry %s\n", g_window_at_exit > 0 ? "worked" : "failed");
    std::fclose(file);
}

void create_at_exit() {
    g_window_at_exit = g_create(60, 60, 40, 40, "at exit");
}

template <typename Function> Function find(HMODULE module, const char *name) {
    // Through void (*)(), the type that stands for any function without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    g_report_path = argv[1];
    bool with_window = std::strcmp(argv[2], "with-window") == 0;
    std::atexit(report);

    std::set<DWORD> before = own_threads();
    HMODULE library = LoadLibraryA("Zelvan.dll");
    if (!library) return 3;
    for (DWORD id : own_threads())
        if (!before.count(id))
            if (HANDLE thread = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, id))
                g_library_threads.push_back(thread);
    if (!with_window) return 0; // the GUI thread is most likely still starting

    g_create = find<decltype(&ZVCreateWindow)>(library, "ZVCreateWindow");
    auto line = find<decltype(&ZVLine)>(library, "ZVLine");
    if (!g_create || !line) return 4;
    int window = g_create(10, 10, 80, 60, "exit probe");
    if (window <= 0 || line(window, 70, 50) != ZV_OK) return 5;
    g_window = FindWindowA("ZelvanClass", "exit probe");
    if (!g_window) return 6;
    std::atexit(create_at_exit);
    return 0;
}
