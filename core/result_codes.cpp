// Result codes, their messages, the last error and the version.
#include "core/result_codes.h"

#include "platform/win32.h"

#include <atomic>

namespace {

// Row i is the message of code ZV_OK + i.
const char *const k_messages[] = {
    "Okay",
    "Error",
    "Could not open the file",
    "File read error",
    "File write error",
    "Corrupt .BMP file",
    "BMP file size entry does not match actual size",
    "Cannot handle 16 bit images",
    "Cannot handle 32 bit images",
    "Palette size in file is bad",
    "Bitcount in BMP header is bad",
    "CreateDIBSection failed",
    "Palette file is not RIFF format",
    "PAL data not found at start of RIFF file",
    "Bad version number in file",
    "Palette size in DIB is bad",
    "Bitcount in DIB header is bad",
    "No palette in DIB",
    "Invalid window handle",
    "Invalid bitmap handle",
    "Bad width parameter",
    "Bad height parameter",
    "Bad left parameter",
    "Bad top parameter",
    "Copy bitmap failed",
    "Could not create new window",
    "Could not create new window - too many already open",
    "Unsufficient memory",
    "Mouse not in client window",
    "Window is not top window",
    "Coordinates not valid",
    "No mouse click has occurred",
    "Zelvan not initialised",
    "Clipboard in use by another application",
    "Failed to copy data to Clipboard",
};
// The codes run without a gap from ZV_OK down to the last one zelvan.h defines.
constexpr unsigned int k_code_count = ZV_ERR_CLIPBOARD_COPY - ZV_OK + 1;
static_assert(sizeof(k_messages) / sizeof(k_messages[0]) == k_code_count,
              "one message per result code");

// The package's version (the build passes it) as one number: the major version in the high
// byte, the minor in the low, so 1.16 is 272.
constexpr int k_version_major = ZELVAN_VERSION_MAJOR, k_version_minor = ZELVAN_VERSION_MINOR;

const char k_bad_code_message[] = "Bad error code";

// One process-wide value; relaxed atomics keep concurrent stores well-defined.
std::atomic<int> g_last_error{ZV_OK};

// Unknown codes still come back in a library-owned buffer, as they always have; known codes
// get their constant text, so two calls in one printf each keep their own message.
char g_message_buffer[sizeof k_bad_code_message];

} // namespace

void set_last_error(int code) {
    g_last_error.store(code, std::memory_order_relaxed);
}

extern "C" {

ZVEXPORT int ZVAPI ZVGetVersion(void) {
    return k_version_major << 8 | k_version_minor;
}

ZVEXPORT int ZVAPI ZVGetLastError(void) {
    // One exchange, so a failure stored by another thread between the read and the reset
    // is not lost.
    return g_last_error.exchange(ZV_OK, std::memory_order_relaxed);
}

ZVEXPORT const char *ZVAPI ZVGetErrorString(int code) {
    unsigned int index = static_cast<unsigned int>(code) - static_cast<unsigned int>(ZV_OK);
    if (index < k_code_count) return k_messages[index];
    lstrcpyA(g_message_buffer, k_bad_code_message);
    return g_message_buffer;
}

} // extern "C"
