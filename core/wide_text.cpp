// The one reading of host strings: UTF-8 when valid, else a single-byte code page.
#include "core/wide_text.h"

#include <limits.h>
#include <string.h>

wide_text::~wide_text() {
    if (units != local) HeapFree(GetProcessHeap(), 0, units);
}

bool wide_text::convert(const char *text, int bytes, UINT fallback) {
    return convert_bytes(text, bytes, CP_UTF8, fallback);
}

bool wide_text::convert_bytes(const char *text, int bytes, UINT first, UINT fallback) {
    if (bytes == 0) return true;
    // Neither reading makes more UTF-16 units than it reads bytes, so the byte count bounds
    // the buffer.
    if (bytes > stack_units) {
        units = static_cast<WCHAR *>(
            HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(bytes) * sizeof(WCHAR)));
        if (!units) {
            units = local;
            return false;
        }
    }
    // Valid UTF-8 (plain ASCII among it) is read as UTF-8; anything else, such as a Latin-1
    // or Windows-1252 string whose accented letters are lone high bytes, in the fallback
    // code page, which takes every byte.
    DWORD strict = first == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    length = MultiByteToWideChar(first, strict, text, bytes, units, bytes);
    if (length == 0 && fallback != first)
        length = MultiByteToWideChar(fallback, 0, text, bytes, units, bytes);
    return length > 0;
}

bool wide_text::convert_string(const char *text, UINT fallback) {
    return convert_terminated(text, CP_UTF8, fallback);
}

bool wide_text::convert_string_in(const char *text, UINT code_page) {
    return convert_terminated(text, code_page, code_page);
}

bool wide_text::convert_terminated(const char *text, UINT first, UINT fallback) {
    if (!text) return false;
    size_t bytes = strlen(text);
    if (bytes >= INT_MAX) return false;
    // The NUL is converted with the rest and then not counted.
    if (!convert_bytes(text, static_cast<int>(bytes) + 1, first, fallback)) return false;
    length--;
    return true;
}
