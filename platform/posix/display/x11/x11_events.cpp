// X events turned into display events: one small handler per event type.
#include "platform/posix/display/socket_pacing.h"
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/Xatom.h>

#include <stdint.h>

namespace {

display_event event_for(const display_window *w, display_event_kind kind) {
    display_event e{};
    e.kind = kind;
    e.window = w->cookie;
    return e;
}

int modifier_bits(unsigned state) {
    int bits = 0;
    if (state & Button1Mask) bits |= DISPLAY_BUTTON_LEFT;
    if (state & Button2Mask) bits |= DISPLAY_BUTTON_MIDDLE;
    if (state & Button3Mask) bits |= DISPLAY_BUTTON_RIGHT;
    if (state & ShiftMask) bits |= DISPLAY_MOD_SHIFT;
    if (state & ControlMask) bits |= DISPLAY_MOD_CONTROL;
    if (state & Mod1Mask) bits |= DISPLAY_MOD_ALT;
    return bits;
}

void note_pointer(int root_x, int root_y, Time time) {
    x11().pointer_x = root_x;
    x11().pointer_y = root_y;
    x11().last_event_time = time;
}

void on_motion(display_window *w, const XMotionEvent &m) {
    note_pointer(m.x_root, m.y_root, m.time);
    display_event e = event_for(w, DISPLAY_EVENT_POINTER_MOVE);
    e.x = m.x;
    e.y = m.y;
    e.state = modifier_bits(m.state);
    x11_report(&e);
}

// X buttons 1-3 are left, middle and right; 4-7 the wheel's turns; 8 and 9 the side buttons.
int display_button(unsigned button) {
    switch (button) {
    case Button1:
        return DISPLAY_BUTTON_LEFT;
    case Button2:
        return DISPLAY_BUTTON_MIDDLE;
    case Button3:
        return DISPLAY_BUTTON_RIGHT;
    case 8:
        return DISPLAY_BUTTON_X1;
    case 9:
        return DISPLAY_BUTTON_X2;
    default:
        return 0;
    }
}

void on_wheel(display_window *w, const XButtonEvent &b) {
    display_event e = event_for(w, DISPLAY_EVENT_WHEEL);
    e.x = b.x;
    e.y = b.y;
    e.state = modifier_bits(b.state);
    e.button = b.button >= 6 ? 1 : 0;
    e.repeat = b.button == Button4 || b.button == 7 ? 1 : -1;
    x11_report(&e);
}

// Event states are those before the event; display events carry the state after it.
void on_button(display_window *w, const XButtonEvent &b) {
    note_pointer(b.x_root, b.y_root, b.time);
    bool down = b.type == ButtonPress;
    if (b.button >= Button4 && b.button <= 7) {
        if (down) on_wheel(w, b);
        return;
    }
    int button = display_button(b.button);
    if (button == 0) return;
    display_event e = event_for(w, down ? DISPLAY_EVENT_BUTTON_DOWN : DISPLAY_EVENT_BUTTON_UP);
    e.x = b.x;
    e.y = b.y;
    e.button = button;
    e.state = down ? modifier_bits(b.state) | button : modifier_bits(b.state) & ~button;
    x11_report(&e);
}

// A key going down or up. Event states are those before the event: a modifier key's own bit
// is set while it is down and cleared once it is up.
void report_key(display_window *w, XKeyEvent &k, KeySym looked_up, bool down) {
    int vk = x11_virtual_key(&k, looked_up);
    if (vk == 0) return;
    int own = vk == VK_SHIFT     ? DISPLAY_MOD_SHIFT
              : vk == VK_CONTROL ? DISPLAY_MOD_CONTROL
              : vk == VK_MENU    ? DISPLAY_MOD_ALT
                                 : 0;
    display_event e = event_for(w, down ? DISPLAY_EVENT_KEY_DOWN : DISPLAY_EVENT_KEY_UP);
    e.key = vk;
    e.state = down ? modifier_bits(k.state) | own : modifier_bits(k.state) & ~own;
    x11_report(&e);
}

// The text a key types comes as code points, control characters included (Return, Tab,
// ^C...), which is what WM_CHAR carries. The key itself goes first, as WM_KEYDOWN comes before
// its WM_CHAR.
void on_key(display_window *w, XKeyEvent &k) {
    x11().last_event_time = k.time;
    uint32_t typed[16];
    KeySym keysym;
    int count = x11_typed_code_points(w, &k, typed, 16, &keysym);
    report_key(w, k, keysym, true);
    for (int i = 0; i < count; ++i) {
        display_event e = event_for(w, DISPLAY_EVENT_CHAR);
        e.character = typed[i];
        e.repeat = 1;
        x11_report(&e);
    }
}

// X repeats a held key as a release and a press at the same time: only the press is news.
bool repeated_next(const XKeyEvent &k) {
    Display *display = x11().display;
    if (XEventsQueued(display, QueuedAfterReading) == 0) return false;
    XEvent next;
    XPeekEvent(display, &next);
    return next.type == KeyPress && next.xkey.window == k.window &&
           next.xkey.keycode == k.keycode && next.xkey.time == k.time;
}

void on_key_release(display_window *w, XKeyEvent &k) {
    x11().last_event_time = k.time;
    if (repeated_next(k)) return;
    char text[32];
    KeySym keysym;
    XLookupString(&k, text, sizeof text, &keysym, nullptr);
    report_key(w, k, keysym, false);
}

void on_expose(display_window *w, const XExposeEvent &x) {
    display_event e = event_for(w, DISPLAY_EVENT_EXPOSE);
    e.rect = RECT{x.x, x.y, x.x + x.width, x.y + x.height};
    x11_report(&e);
}

// Configure events that answer one of our own earlier requests are stale once a newer one
// was made; only the server's latest geometry is news. The frame keeps the library's insets.
void on_configure(display_window *w, const XConfigureEvent &c) {
    x11_state &s = x11();
    if (w->show == DISPLAY_HIDDEN || w->show == DISPLAY_MINIMIZED) return;
    if (c.serial < w->configure_serial) return;
    int x = c.x, y = c.y;
    Window child;
    if (!c.send_event && !XTranslateCoordinates(s.display, w->xid, s.root, 0, 0, &x, &y, &child)) {
        return;
    }
    RECT client{x, y, x + c.width, y + c.height};
    if (client.left == w->client.left && client.top == w->client.top &&
        client.right == w->client.right && client.bottom == w->client.bottom) {
        return;
    }
    display_event e = event_for(w, DISPLAY_EVENT_CONFIGURE);
    e.rect = RECT{w->frame.left + client.left - w->client.left,
                  w->frame.top + client.top - w->client.top,
                  w->frame.right + client.right - w->client.right,
                  w->frame.bottom + client.bottom - w->client.bottom};
    w->frame = e.rect;
    w->client = client;
    x11_report(&e);
}

// Focus that merely follows one of our own requests is not news either.
void on_focus(display_window *w, const XFocusChangeEvent &f) {
    if (f.mode == NotifyGrab || f.mode == NotifyUngrab || f.detail == NotifyPointer) return;
    if (w->input_context != nullptr) {
        if (f.type == FocusIn)
            XSetICFocus(w->input_context);
        else
            XUnsetICFocus(w->input_context);
    }
    if (f.serial < x11().focus_request_serial) return;
    display_event e =
        event_for(w, f.type == FocusIn ? DISPLAY_EVENT_FOCUS_IN : DISPLAY_EVENT_FOCUS_OUT);
    x11_report(&e);
}

void on_client_message(display_window *w, const XClientMessageEvent &m) {
    x11_state &s = x11();
    if (m.message_type != s.atoms.wm_protocols || m.format != 32) return;
    if (Atom(m.data.l[0]) != s.atoms.wm_delete_window) return;
    display_event e = event_for(w, DISPLAY_EVENT_CLOSE);
    x11_report(&e);
}

// The state the window manager wrote in the window's WM_STATE property (ICCCM 4.1.3.1):
// NormalState, IconicState, or WithdrawnState when there is none.
long x11_wm_state_property(Window xid) {
    x11_state &s = x11();
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    long state = WithdrawnState;
    if (XGetWindowProperty(s.display, xid, s.atoms.wm_state, 0, 2, False, s.atoms.wm_state, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count >= 1) {
        state = reinterpret_cast<long *>(data)[0];
    }
    if (data != nullptr) XFree(data);
    return state;
}

// The window manager's icon button and its way back: WM_STATE tells which one happened.
void on_property(display_window *w, const XPropertyEvent &p) {
    x11().last_event_time = p.time;
    if (p.atom != x11().atoms.wm_state || p.state != PropertyNewValue) return;
    long state = x11_wm_state_property(w->xid);
    if (state == NormalState || state == IconicState) x11_window_taken_over(w);
    display_event e = event_for(w, DISPLAY_EVENT_MINIMIZE);
    if (state == IconicState && w->show != DISPLAY_MINIMIZED) {
        w->show = DISPLAY_MINIMIZED;
        x11_report(&e);
    } else if (state == NormalState && w->show == DISPLAY_MINIMIZED) {
        w->show = DISPLAY_NORMAL;
        e.kind = DISPLAY_EVENT_RESTORE;
        x11_report(&e);
    }
}

void on_crossing(const XCrossingEvent &c) {
    note_pointer(c.x_root, c.y_root, c.time);
}

void dispatch(XEvent &event) {
    if (x11_clipboard_handle(&event)) return;
    // A new keyboard mapping (a layout switch, or xdotool typing a character no key has):
    // key events after it are looked up in the new one.
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    // The input method's own events, and keys it holds as part of a composed character.
    if (x11().input_method != nullptr && XFilterEvent(&event, None)) return;
    display_window *w = x11_find(event.xany.window);
    if (w == nullptr) return;
    switch (event.type) {
    case MotionNotify:
        on_motion(w, event.xmotion);
        break;
    case ButtonPress:
    case ButtonRelease:
        on_button(w, event.xbutton);
        break;
    case KeyPress:
        on_key(w, event.xkey);
        break;
    case KeyRelease:
        on_key_release(w, event.xkey);
        break;
    case Expose:
        on_expose(w, event.xexpose);
        break;
    case ConfigureNotify:
        on_configure(w, event.xconfigure);
        break;
    case FocusIn:
    case FocusOut:
        on_focus(w, event.xfocus);
        break;
    case ClientMessage:
        on_client_message(w, event.xclient);
        break;
    case PropertyNotify:
        on_property(w, event.xproperty);
        break;
    case EnterNotify:
    case LeaveNotify:
        on_crossing(event.xcrossing);
        break;
    case DestroyNotify:
        x11_window_vanished(w);
        break;
    default:
        break;
    }
}

// The last look at the X socket (GUI thread only).
int64_t g_last_look_us = INT64_MIN / 2;

} // namespace

// Handlers may re-enter the driver (a configure ends in move_resize), so events are taken one
// at a time and nothing is held across a report.
void x11_pump_events(void) {
    if (x11_connection_lost() || !x11_on_gui_thread()) return;
    x11_state &s = x11();
    x11_clipboard_take_pending();
    if (XEventsQueued(s.display, QueuedAlready) == 0 && !display_socket_look_due(&g_last_look_us))
        return;
    while (!s.lost && XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        dispatch(event);
    }
}

int x11_event_fd(void) {
    if (!x11_on_gui_thread()) return -1;
    x11_state &s = x11();
    // Flushes, and reads what the socket holds: a pump that skipped its look must not leave
    // data there for poll() to wake on at once, again and again.
    int queued = XEventsQueued(s.display, QueuedAfterFlush);
    if (s.lost) return -1;
    return queued > 0 ? DISPLAY_EVENTS_QUEUED : ConnectionNumber(s.display);
}
