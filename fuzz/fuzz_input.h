// Reads typed values off the front of a fuzz input. Plain C++ (no libFuzzer header) so that the
// same target also builds with gcc for the replay tests; an exhausted input reads as zeros.
#ifndef ZELVAN_FUZZ_FUZZ_INPUT_H
#define ZELVAN_FUZZ_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <string>

struct fuzz_input {
    const uint8_t *data;
    size_t size;
};

inline uint32_t fuzz_take_u32(fuzz_input *input) {
    uint8_t bytes[4] = {0, 0, 0, 0};
    size_t take = input->size < 4 ? input->size : 4;
    memcpy(bytes, input->data, take);
    input->data += take;
    input->size -= take;
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
           (uint32_t)bytes[3] << 24;
}

inline uint8_t fuzz_take_byte(fuzz_input *input) {
    if (input->size == 0) return 0;
    input->size--;
    return *input->data++;
}

// A value from lo to hi inclusive, from one byte (the ranges used here are small).
inline int fuzz_take_small(fuzz_input *input, int lo, int hi) {
    return lo + (int)(fuzz_take_byte(input) % (unsigned)(hi - lo + 1));
}

// A value from lo to hi inclusive, from four bytes.
inline int fuzz_take_range(fuzz_input *input, int lo, int hi) {
    return (int)((int64_t)lo + (int64_t)(fuzz_take_u32(input) % (uint64_t)((int64_t)hi - lo + 1)));
}

inline int fuzz_take_int(fuzz_input *input) {
    return (int)fuzz_take_u32(input);
}

// Any float bit pattern, NaNs and infinities included.
inline float fuzz_take_float_bits(fuzz_input *input) {
    uint32_t bits = fuzz_take_u32(input);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

// Up to `longest` bytes, ended early by a zero byte or the end of the input.
inline std::string fuzz_take_text(fuzz_input *input, size_t longest) {
    std::string text;
    while (text.size() < longest && input->size > 0) {
        char c = (char)fuzz_take_byte(input);
        if (c == 0) break;
        text += c;
    }
    return text;
}

#endif
