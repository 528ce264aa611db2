// wsprintfA: Win32's small printf, at most 1024 characters including the terminator.
#include "platform/win32.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

enum { wsprintf_limit = 1024 };

struct conversion_format {
    bool left = false;
    bool zero = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
};

struct output {
    char *out;
    int length;
    void put(char c) {
        if (length < wsprintf_limit - 1) out[length++] = c;
    }
    void put_padded(const char *text, int count, const conversion_format &fmt) {
        int pad = fmt.width > count ? fmt.width - count : 0;
        char fill = fmt.zero && !fmt.left ? '0' : ' ';
        // Zero padding goes after a sign, as printf does it.
        if (fill == '0' && count > 0 && text[0] == '-') {
            put('-');
            ++text;
            --count;
        }
        if (!fmt.left) {
            for (int i = 0; i < pad; ++i) put(fill);
        }
        for (int i = 0; i < count; ++i) put(text[i]);
        if (fmt.left) {
            for (int i = 0; i < pad; ++i) put(' ');
        }
    }
};

const char *parse_conversion(const char *p, conversion_format *fmt) {
    for (;; ++p) {
        if (*p == '-')
            fmt->left = true;
        else if (*p == '0')
            fmt->zero = true;
        else if (*p == '#')
            fmt->alternate = true;
        else
            break;
    }
    while (*p >= '0' && *p <= '9') fmt->width = fmt->width * 10 + (*p++ - '0');
    if (*p == '.') {
        fmt->precision = 0;
        for (++p; *p >= '0' && *p <= '9'; ++p) fmt->precision = fmt->precision * 10 + (*p - '0');
    }
    // Sizes: 'l' and 'h' are 32-bit like Win32's long; "I64" is not supported here.
    while (*p == 'l' || *p == 'h') ++p;
    return p;
}

// Formats one conversion; returns false for an unknown one, which is then copied as text.
bool convert(char conversion, const conversion_format &fmt, va_list *args, output *o) {
    char text[64];
    int count = 0;
    switch (conversion) {
    case 'd':
    case 'i':
        count = snprintf(text, sizeof text, "%d", va_arg(*args, int));
        break;
    case 'u':
        count = snprintf(text, sizeof text, "%u", va_arg(*args, unsigned int));
        break;
    case 'x':
    case 'X': {
        unsigned int value = va_arg(*args, unsigned int);
        const char *prefix = fmt.alternate ? (conversion == 'x' ? "0x" : "0X") : "";
        count = snprintf(text, sizeof text, conversion == 'x' ? "%s%x" : "%s%X", prefix, value);
        break;
    }
    case 'c':
        text[0] = static_cast<char>(va_arg(*args, int)), count = 1;
        break;
    case 's': {
        const char *s = va_arg(*args, const char *);
        if (s == nullptr) s = "(null)";
        int length = static_cast<int>(strnlen(s, wsprintf_limit));
        if (fmt.precision >= 0 && fmt.precision < length) length = fmt.precision;
        o->put_padded(s, length, fmt);
        return true;
    }
    default:
        return false;
    }
    o->put_padded(text, count, fmt);
    return true;
}

} // namespace

int wsprintfA(LPSTR out, LPCSTR format, ...) {
    if (out == nullptr || format == nullptr) return 0;
    output o{out, 0};
    va_list args;
    va_start(args, format);
    for (const char *p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            o.put(*p);
            continue;
        }
        const char *start = p;
        conversion_format fmt;
        p = parse_conversion(p + 1, &fmt);
        if (*p == '%') {
            o.put('%');
        } else if (*p == '\0' || !convert(*p, fmt, &args, &o)) {
            for (const char *q = start; q < p; ++q) o.put(*q);
            if (*p == '\0') break;
            o.put(*p);
        }
    }
    va_end(args);
    out[o.length] = '\0';
    return o.length;
}
