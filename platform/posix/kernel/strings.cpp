// MulDiv and the lstr* string calls.
#include "platform/posix/kernel/kernel_objects.h"

#include <ctype.h>
#include <limits.h>
#include <string.h>

// number * numerator / denominator in 64 bits, rounded half away from zero; -1 when the
// denominator is 0 or the result does not fit in an int, exactly as Win32 reports both.
int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    bool negative = (product < 0) != (denominator < 0);
    uint64_t magnitude = product < 0 ? 0 - static_cast<uint64_t>(product) : product;
    uint64_t divisor = denominator < 0
                           ? 0 - static_cast<uint64_t>(static_cast<int64_t>(denominator))
                           : static_cast<uint64_t>(denominator);
    uint64_t quotient = magnitude / divisor;
    if ((magnitude % divisor) * 2 >= divisor) ++quotient;
    int64_t result = negative ? -static_cast<int64_t>(quotient) : static_cast<int64_t>(quotient);
    if (result > INT_MAX || result < INT_MIN) return -1;
    return static_cast<int>(result);
}

LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR src) {
    if (dest == nullptr || src == nullptr) return nullptr;
    return strcpy(dest, src);
}

// At most max_chars - 1 characters and always a terminator (when max_chars is at least 1).
LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int max_chars) {
    if (dest == nullptr || src == nullptr) return nullptr;
    char *d = dest;
    int left = max_chars;
    while (left > 1 && *src != '\0') {
        *d++ = *src++;
        --left;
    }
    if (left > 0) *d = '\0';
    return dest;
}

// Win32 compares linguistically: letters ignore case first, and only when the strings are
// otherwise equal does a lower-case letter sort before its upper-case form.
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
    int case_order = 0;
    for (size_t i = 0;; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        int la = tolower(ca), lb = tolower(cb);
        if (la != lb) return la < lb ? -1 : 1;
        if (ca == '\0') break;
        if (case_order == 0 && ca != cb) case_order = islower(ca) ? -1 : 1;
    }
    return case_order;
}

int WINAPI lstrlenA(LPCSTR s) {
    return s == nullptr ? 0 : static_cast<int>(strlen(s));
}
