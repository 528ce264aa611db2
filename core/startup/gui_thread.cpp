// The GUI thread: the window class, the hidden handler window and the message loop.
#include "core/scale/window_scale.h"
#include "core/startup/library_state.h"
#include "core/window_proc.h"

#include "zelvan.h"

namespace {

const WCHAR k_class_name_wide[] = {'Z', 'e', 'l', 'v', 'a', 'n', 'C', 'l', 'a', 's', 's', 0};
const char k_class_name[] = "ZelvanClass";
const char k_handler_title[] = "Zelvan Graphics Handler";
// No CS_NOCLOSE: the close box works, and its request (WM_SYSCOMMAND SC_CLOSE) is counted for
// ZVCloseRequested by the window procedure instead of closing the window.
const UINT k_class_style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
const DWORD k_window_style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
const DWORD k_thread_exit_code = static_cast<DWORD>(ZV_OK);

// A Unicode class: its windows' WM_CHAR carries UTF-16, where an ANSI one's carries only what
// the ANSI code page holds.
void register_window_class(HINSTANCE module) {
    WNDCLASSW wc{};
    wc.style = k_class_style;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = module;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = k_class_name_wide;
    RegisterClassW(&wc);
}

} // namespace

int pump_message() {
    MSG msg;
    // One look at the queue a message: thousands of refresh ticks a second come through here.
    // The wide calls: the ANSI ones would turn a Unicode window's characters into code page bytes.
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Nothing waiting: sleep until a message, a send, a due timer or a paint request.
        WaitMessage();
        return 1;
    }
    if (msg.message == WM_QUIT) return 0;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return 1;
}

DWORD WINAPI gui_thread_main(LPVOID parameter) {
    auto *gui = static_cast<gui_thread_record *>(parameter);
    gui->state = GUI_STARTING;
    // Before any window: a thread's windows take the awareness it had when they were made.
    make_thread_dpi_aware();
    register_window_class(gui->host_module);
    HWND handler = CreateWindowExA(0, k_class_name, k_handler_title, k_window_style, 0, 0, 100, 100,
                                   nullptr, nullptr, gui->host_module, nullptr);
    gui->handler_window = handler;
    if (!handler) {
        gui->state = GUI_FAILED;
        return k_thread_exit_code;
    }
    SetWindowLongPtrA(handler, GWLP_USERDATA, 0);
    ShowWindow(handler, SW_HIDE);
    gui->state = GUI_RUNNING;
    while (pump_message()) {
    }
    gui->state = GUI_ENDED;
    return k_thread_exit_code;
}
