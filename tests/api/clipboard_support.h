// Reading back what the library put on the clipboard, as another program would: on Windows
// from the system clipboard, elsewhere from the headless screen, whose clipboard is the one
// the POSIX platform offers other programs.
#ifndef ZELVAN_TESTS_CLIPBOARD_SUPPORT_H
#define ZELVAN_TESTS_CLIPBOARD_SUPPORT_H

#include "image_files.h"
#include "poll.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/display/headless/headless_test.h"
#endif

// Sets the test process up to read the clipboard back; call it before the first window.
inline bool use_readable_clipboard() {
#ifdef _WIN32
    return true; // the system clipboard is always there
#else
    return headless_test_activate();
#endif
}

// The packed DIB on the clipboard, or with `png` the PNG file beside it; empty when there is
// none.
inline bytes clipboard_item(bool png = false) {
    bytes item;
#ifdef _WIN32
    // Another program (or Wine's clipboard manager) may hold the clipboard for a moment.
    if (!poll_until([] { return OpenClipboard(nullptr) != 0; })) return item;
    HANDLE data = GetClipboardData(png ? RegisterClipboardFormatA("PNG") : CF_DIB);
    const uint8_t *block = data ? static_cast<const uint8_t *>(GlobalLock(data)) : nullptr;
    if (block) {
        item.assign(block, block + GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
#else
    if (png) {
        headless_test_clipboard_png(&item);
    } else {
        headless_test_clipboard(&item);
    }
#endif
    return item;
}

#endif
