// Window titles in UTF-8, the form drivers take them in: the ANSI calls read and write the
// ANSI code page, DefWindowProcW's WM_SETTEXT takes UTF-16.
#include "platform/posix/user/wm_internal.h"

#include <string.h>

#include <vector>

std::string wm_utf8_from_wide(LPCWSTR text) {
    if (text == nullptr || text[0] == 0) return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.pop_back(); // the NUL
    return out;
}

std::string wm_utf8_from_ansi(LPCSTR text) {
    if (text == nullptr || text[0] == '\0') return std::string();
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 0) return std::string();
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), units);
    return wm_utf8_from_wide(wide.data());
}

int wm_ansi_from_utf8(const std::string &text, LPSTR out, int max_chars) {
    out[0] = '\0';
    if (text.empty() || max_chars <= 1) return 0;
    int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (units <= 0) return 0;
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), units);
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return 0;
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, &ansi[0], bytes, nullptr, nullptr);
    // Cut to fit, as GetWindowTextA does: the count excludes the NUL.
    int length = bytes - 1 < max_chars - 1 ? bytes - 1 : max_chars - 1;
    memcpy(out, ansi.data(), static_cast<size_t>(length));
    out[length] = '\0';
    return length;
}
