// Narrow strings from the host as UTF-16 for the platform's wide calls. A string is read as
// UTF-8 when it is valid UTF-8, else byte by byte in a fallback code page; text and titles
// fall back to Windows-1252, file names to the system's ANSI code page.
#ifndef ZELVAN_CORE_WIDE_TEXT_H
#define ZELVAN_CORE_WIDE_TEXT_H

#include "platform/win32.h"

// Windows-1252 is the code page of a Western Windows; it is named rather than the system's
// own ANSI code page, so that text and titles read the same on every system.
constexpr UINT western_code_page = 1252;

struct wide_text {
    // Strings of up to this many bytes are converted without a heap block.
    static constexpr int stack_units = 256;
    WCHAR local[stack_units];
    WCHAR *units = local;
    int length = 0; // UTF-16 units, without the terminating NUL of convert_string

    wide_text() = default;
    wide_text(const wide_text &) = delete;
    wide_text &operator=(const wide_text &) = delete;
    ~wide_text();

    // The first `bytes` bytes of `text`, not terminated. False when there is no memory.
    bool convert(const char *text, int bytes, UINT fallback = western_code_page);
    // A NUL-terminated string, terminated in `units` too. False for a null string, one
    // longer than an int counts, or no memory.
    bool convert_string(const char *text, UINT fallback = western_code_page);
    // A NUL-terminated string read in `code_page` alone, without trying UTF-8 first.
    bool convert_string_in(const char *text, UINT code_page);

  private:
    bool convert_bytes(const char *text, int bytes, UINT first, UINT fallback);
    bool convert_terminated(const char *text, UINT first, UINT fallback);
};

#endif
