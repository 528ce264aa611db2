// MultiByteToWideChar and WideCharToMultiByte for the two code pages text is drawn in: UTF-8,
// and Windows-1252, which is also this platform's ANSI code page (CP_ACP), as on a Western
// Windows.
#include "platform/posix/kernel/kernel_objects.h"

#include <limits.h>
#include <string.h>

namespace {

constexpr UINT western_code_page = 1252;
constexpr WCHAR replacement_character = 0xFFFD;

// Windows-1252 bytes 0x80 to 0x9F; the five it leaves undefined keep their C1 control values,
// as Windows maps them. Every other byte is its own Unicode code point.
const WCHAR western_high_controls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// UTF-16 output that only counts when there is no buffer, and notes when the buffer is full.
struct wide_writer {
    LPWSTR out;
    int capacity; // 0: count only
    int count;
    bool overflow;

    void put(WCHAR unit) {
        if (capacity > 0) {
            if (count >= capacity) {
                overflow = true;
                return;
            }
            out[count] = unit;
        }
        count++;
    }
    void put_code_point(uint32_t code_point) {
        if (code_point < 0x10000) return put(static_cast<WCHAR>(code_point));
        code_point -= 0x10000;
        put(static_cast<WCHAR>(0xD800 + (code_point >> 10)));
        put(static_cast<WCHAR>(0xDC00 + (code_point & 0x3FF)));
    }
};

// The well-formed UTF-8 sequences: a lead byte fixes the length and the range of the second
// byte, which is what rules out overlong forms, surrogates and values past U+10FFFF.
// Returns the length of the sequence at `bytes` with its code point, or minus the length of
// its longest well-formed start (at least 1), which one replacement character stands for.
int decode_utf8(const unsigned char *bytes, int left, uint32_t *code_point) {
    unsigned char lead = bytes[0];
    if (lead < 0x80) {
        *code_point = lead;
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return -1;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    uint32_t value = lead & (0x7F >> length);
    for (int i = 1; i < length; i++) {
        if (i >= left || bytes[i] < low || bytes[i] > high) return -i;
        unsigned char next = bytes[i];
        value = (value << 6) | (next & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    *code_point = value;
    return length;
}

// False when an invalid sequence is met and `strict` asks to fail on one.
bool convert_utf8(const unsigned char *bytes, int count, bool strict, wide_writer *writer) {
    for (int i = 0; i < count;) {
        uint32_t code_point = 0;
        int used = decode_utf8(bytes + i, count - i, &code_point);
        if (used < 0) {
            if (strict) return false;
            writer->put(replacement_character);
            i -= used;
            continue;
        }
        writer->put_code_point(code_point);
        i += used;
    }
    return true;
}

void convert_western(const unsigned char *bytes, int count, wide_writer *writer) {
    for (int i = 0; i < count; i++) {
        unsigned char byte = bytes[i];
        writer->put(byte >= 0x80 && byte < 0xA0 ? western_high_controls[byte - 0x80] : byte);
    }
}

// Narrow output, counted the same way as wide_writer.
struct byte_writer {
    LPSTR out;
    int capacity; // 0: count only
    int count;
    bool overflow;

    void put(char byte) {
        if (capacity > 0) {
            if (count >= capacity) {
                overflow = true;
                return;
            }
            out[count] = byte;
        }
        count++;
    }
};

// The next code point of UTF-16 text; a surrogate without its partner reads as U+FFFD.
uint32_t next_code_point(const WCHAR *units, int count, int *i) {
    WCHAR unit = units[(*i)++];
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit <= 0xDBFF && *i < count && units[*i] >= 0xDC00 && units[*i] <= 0xDFFF)
        return 0x10000 + ((unit - 0xD800u) << 10) + (units[(*i)++] - 0xDC00u);
    return replacement_character;
}

void encode_utf8(uint32_t code_point, byte_writer *writer) {
    if (code_point < 0x80) return writer->put(char(code_point));
    int length = code_point < 0x800 ? 2 : code_point < 0x10000 ? 3 : 4;
    static const unsigned char lead_marks[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    writer->put(char(lead_marks[length] | (code_point >> (6 * (length - 1)))));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        writer->put(char(0x80 | ((code_point >> shift) & 0x3F)));
}

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int western_byte(uint32_t code_point) {
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return int(code_point);
    for (int i = 0; i < 32; i++)
        if (western_high_controls[i] == code_point) return 0x80 + i;
    return -1;
}

int fail(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace

// A count of -1 takes the string through its NUL, which is converted too; a wide count of 0
// asks only for the length the conversion needs.
int WINAPI MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR bytes, int byte_count,
                               LPWSTR wide, int wide_count) {
    if (!bytes || byte_count == 0 || byte_count < -1 || wide_count < 0 || (wide_count && !wide))
        return fail(KERNEL_ERROR_INVALID_PARAMETER);
    bool utf8 = code_page == CP_UTF8;
    if (!utf8 && code_page != CP_ACP && code_page != western_code_page)
        return fail(KERNEL_ERROR_INVALID_PARAMETER);
    DWORD allowed = utf8 ? MB_ERR_INVALID_CHARS : MB_ERR_INVALID_CHARS | MB_PRECOMPOSED;
    if (flags & ~allowed) return fail(KERNEL_ERROR_INVALID_FLAGS);
    if (byte_count == -1) {
        size_t length = strlen(bytes);
        if (length >= INT_MAX) return fail(KERNEL_ERROR_INVALID_PARAMETER);
        byte_count = static_cast<int>(length) + 1;
    }
    const unsigned char *input = reinterpret_cast<const unsigned char *>(bytes);
    wide_writer writer = {wide, wide_count, 0, false};
    if (!utf8)
        convert_western(input, byte_count, &writer);
    else if (!convert_utf8(input, byte_count, (flags & MB_ERR_INVALID_CHARS) != 0, &writer))
        return fail(KERNEL_ERROR_NO_UNICODE_TRANSLATION);
    if (writer.overflow) return fail(KERNEL_ERROR_INSUFFICIENT_BUFFER);
    return writer.count;
}

// Characters Windows-1252 lacks become the default character ('?' unless one is given); no
// "best fit" look-alikes are chosen, as if WC_NO_BEST_FIT_CHARS were always set.
int WINAPI WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_count,
                               LPSTR bytes, int byte_count, LPCSTR default_char,
                               BOOL *used_default_char) {
    if (!wide || wide_count == 0 || wide_count < -1 || byte_count < 0 || (byte_count && !bytes))
        return fail(KERNEL_ERROR_INVALID_PARAMETER);
    bool utf8 = code_page == CP_UTF8;
    if (!utf8 && code_page != CP_ACP && code_page != western_code_page)
        return fail(KERNEL_ERROR_INVALID_PARAMETER);
    if (utf8 && (default_char || used_default_char)) return fail(KERNEL_ERROR_INVALID_PARAMETER);
    // Characters a code page lacks always become the default character here: there is no
    // best-fit table to turn them into look-alikes.
    if (flags != 0 && (utf8 || flags != WC_NO_BEST_FIT_CHARS))
        return fail(KERNEL_ERROR_INVALID_FLAGS);
    if (wide_count == -1) {
        wide_count = 0;
        while (wide[wide_count] != 0) {
            if (wide_count == INT_MAX - 1) return fail(KERNEL_ERROR_INVALID_PARAMETER);
            wide_count++;
        }
        wide_count++;
    }
    if (used_default_char) *used_default_char = FALSE;
    byte_writer writer = {bytes, byte_count, 0, false};
    for (int i = 0; i < wide_count;) {
        uint32_t code_point = next_code_point(wide, wide_count, &i);
        if (utf8) {
            encode_utf8(code_point, &writer);
            continue;
        }
        int byte = western_byte(code_point);
        if (byte < 0) {
            if (used_default_char) *used_default_char = TRUE;
            byte = default_char ? static_cast<unsigned char>(*default_char) : '?';
        }
        writer.put(static_cast<char>(byte));
    }
    if (writer.overflow) return fail(KERNEL_ERROR_INSUFFICIENT_BUFFER);
    return writer.count;
}
