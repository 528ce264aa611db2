// Typed text as Unicode code points: through the X input method where one opens (so that
// compose sequences and input servers work), else from the key's keysym; and the UTF-8
// decoding that the text and the titles share.
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/keysym.h>

namespace {

// Keysyms of Latin-1 characters are their code points; those from 0x01000000 on carry any
// other code point in their low 24 bits (the X protocol's keysym encoding).
uint32_t keysym_code_point(KeySym keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return static_cast<uint32_t>(keysym);
    if (keysym >= 0x01000100 && keysym <= 0x0110FFFF)
        return static_cast<uint32_t>(keysym & 0xFFFFFF);
    return 0;
}

} // namespace

// The library does not set the host's locale: the input method is the one of the locale the
// host chose (the C locale's when it chose none), with the input server XMODIFIERS names if
// it opens there, and the plain local method when it does not.
void x11_open_input_method(void) {
    x11_state &s = x11();
    if (s.input_method_tried) return;
    s.input_method_tried = true;
    if (!XSupportsLocale()) return;
    if (XSetLocaleModifiers("") != nullptr)
        s.input_method = XOpenIM(s.display, nullptr, nullptr, nullptr);
    if (s.input_method == nullptr && XSetLocaleModifiers("@im=none") != nullptr)
        s.input_method = XOpenIM(s.display, nullptr, nullptr, nullptr);
}

// A context for one window, in the root-window style (no preedit drawn by us); null when the
// method offers no such style, and the window then reads keysyms. The method may want more
// events than the window selects.
XIC x11_create_input_context(Window xid, long event_mask) {
    x11_state &s = x11();
    x11_open_input_method();
    if (s.input_method == nullptr) return nullptr;
    XIC context = XCreateIC(s.input_method, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                            XNClientWindow, xid, XNFocusWindow, xid, nullptr);
    if (context == nullptr) return nullptr;
    long wanted = 0;
    if (XGetICValues(context, XNFilterEvents, &wanted, nullptr) == nullptr &&
        (wanted & ~event_mask))
        XSelectInput(s.display, xid, event_mask | wanted);
    return context;
}

void x11_close_input_method(void) {
    x11_state &s = x11();
    if (s.input_method != nullptr) XCloseIM(s.input_method);
    s.input_method = nullptr;
}

int x11_typed_code_points(display_window *w, XKeyEvent *key, uint32_t *out, int capacity,
                          KeySym *keysym) {
    char text[64];
    *keysym = NoSymbol;
    if (w->input_context != nullptr) {
        Status status = 0;
        int bytes = Xutf8LookupString(w->input_context, key, text, sizeof text, keysym, &status);
        if (status == XLookupChars || status == XLookupBoth)
            return x11_decode_utf8(text, bytes, out, capacity);
        if (status != XBufferOverflow) return 0; // a key that types nothing, or a filtered one
    }
    // No input context (or a text longer than any key types): the keysym names the character;
    // a control character (Return, Tab, ^C...) is the one byte XLookupString gives.
    int bytes = XLookupString(key, text, sizeof text, keysym, nullptr);
    uint32_t code_point = keysym_code_point(*keysym);
    if (code_point == 0 && bytes == 1 &&
        (static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7F))
        code_point = static_cast<unsigned char>(text[0]);
    if (code_point == 0 || capacity < 1) return 0;
    out[0] = code_point;
    return 1;
}

// Malformed sequences, overlong forms and surrogates become U+FFFD, one for each bad byte.
int x11_decode_utf8(const char *text, int bytes, uint32_t *out, int capacity) {
    int count = 0;
    for (int i = 0; i < bytes && count < capacity;) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80                   ? 0
                    : lead >= 0xF0 && lead < 0xF5 ? 3
                    : lead >= 0xE0 && lead < 0xF0 ? 2
                    : lead >= 0xC2 && lead < 0xE0 ? 1
                                                  : -1;
        uint32_t code_point = extra == 0   ? lead
                              : extra == 1 ? lead & 0x1F
                              : extra == 2 ? lead & 0x0F
                                           : lead & 0x07;
        bool good = extra >= 0 && i + extra < bytes;
        for (int k = 1; good && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            good = (next & 0xC0) == 0x80;
            code_point = code_point << 6 | (next & 0x3F);
        }
        const uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (good && (code_point < smallest[extra] || code_point > 0x10FFFF ||
                     (code_point >= 0xD800 && code_point < 0xE000)))
            good = false;
        out[count++] = good ? code_point : 0xFFFD;
        i += good ? extra + 1 : 1;
    }
    return count;
}
