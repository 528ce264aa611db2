// Window classes, and the icons and cursors that classes name.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <strings.h>

namespace {

// Class names compare without regard to case; a name below 0x10000 is an atom.
wm_class *find_class_locked(LPCSTR name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    for (wm_class *c : wm().classes) {
        if (value < 0x10000 ? c->atom == value : strcasecmp(c->name.c_str(), name) == 0) return c;
    }
    return nullptr;
}

} // namespace

wm_class *wm_find_class(LPCSTR name) {
    return name ? find_class_locked(name) : nullptr;
}

namespace {

ATOM register_class(const WNDCLASSA *wc, const std::string &name, bool unicode) {
    if (wc->lpfnWndProc == nullptr) {
        wm_set_error(KERNEL_ERROR_INVALID_PARAMETER);
        return 0;
    }
    wm_lock();
    if (find_class_locked(name.c_str()) != nullptr) {
        wm_unlock();
        wm_set_error(KERNEL_ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    // Atoms of registered classes start at 0xC000, as Win32's string atoms do.
    ATOM atom = static_cast<ATOM>(0xC000 + wm().classes.size());
    wm().classes.push_back(
        new wm_class{name, atom, wc->style, wc->lpfnWndProc, wc->hbrBackground, unicode});
    wm_unlock();
    return atom;
}

} // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
    if (wc == nullptr || wc->lpszClassName == nullptr ||
        reinterpret_cast<uintptr_t>(wc->lpszClassName) < 0x10000) {
        wm_set_error(KERNEL_ERROR_INVALID_PARAMETER);
        return 0;
    }
    return register_class(wc, wc->lpszClassName, false);
}

// Class names are kept in UTF-8, as CreateWindowExA finds them by.
ATOM WINAPI RegisterClassW(const WNDCLASSW *wc) {
    if (wc == nullptr || wc->lpszClassName == nullptr ||
        reinterpret_cast<uintptr_t>(wc->lpszClassName) < 0x10000) {
        wm_set_error(KERNEL_ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSA narrow{};
    narrow.style = wc->style;
    narrow.lpfnWndProc = wc->lpfnWndProc;
    narrow.hbrBackground = wc->hbrBackground;
    return register_class(&narrow, wm_utf8_from_wide(wc->lpszClassName), true);
}

// There are no resources here: any icon or cursor is a distinct non-null token.
HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name) {
    return reinterpret_cast<HICON>(0x10000 + (reinterpret_cast<uintptr_t>(name) & 0xFFFF));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR name) {
    return reinterpret_cast<HCURSOR>(0x20000 + (reinterpret_cast<uintptr_t>(name) & 0xFFFF));
}
