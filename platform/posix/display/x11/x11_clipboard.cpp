// The clipboard's picture offered to other programs: the library owns the CLIPBOARD
// selection and serves TARGETS, TIMESTAMP, image/png and image/bmp, large items by INCR.
// The picture is kept as it was given and converted only for a program that asks; a PNG
// given beside it (one with alpha) is served as image/png as it is.
#include "platform/posix/display/picture/picture_handover.h"
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <list>
#include <memory>

namespace {

struct stream_closer {
    void operator()(picture_stream *stream) const { picture_stream_close(stream); }
};

// One INCR transfer: the requestor deletes the property to ask for the next chunk, which is
// converted only then.
struct incr_transfer {
    Window requestor;
    Atom property;
    Atom type;
    std::unique_ptr<picture_stream, stream_closer> stream; // null once it ended or failed
    std::vector<unsigned char> ready;                      // converted, not yet sent
    bool finished;                                         // the empty closing chunk is on its way
};

struct clipboard_state {
    picture_handover handover; // from the thread that set the clipboard
    // The rest belongs to the GUI thread.
    Window owner = None;
    Time owned_since = CurrentTime;
    shared_picture picture; // null while the library does not own the clipboard
    shared_picture png;     // the PNG file given with it; null when there is none
    bool offers_bmp = false;
    bool offers_png = false;
    std::list<incr_transfer> transfers;
};

// Kept through process exit, like the connection; freed by the driver's release at unload.
clipboard_state *&clip_pointer() {
    static clipboard_state *state = new clipboard_state();
    return state;
}

clipboard_state &clip() {
    return *clip_pointer();
}

// Transfers that a vanished requestor never finishes are dropped, oldest first.
const size_t k_max_transfers = 8;

// Items above this size go by INCR: the core protocol's request limit, with room for the
// request's own header.
size_t chunk_limit(void) {
    return size_t(XMaxRequestSize(x11().display)) * 4 - 256;
}

Window owner_window(void) {
    clipboard_state &c = clip();
    if (c.owner == None) {
        x11_state &s = x11();
        c.owner = XCreateSimpleWindow(s.display, s.root, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(s.display, c.owner, PropertyChangeMask);
    }
    return c.owner;
}

void disown(void) {
    clipboard_state &c = clip();
    x11_state &s = x11();
    if (c.owner != None && XGetSelectionOwner(s.display, s.atoms.clipboard) == c.owner) {
        XSetSelectionOwner(s.display, s.atoms.clipboard, None, s.last_event_time);
    }
}

// An empty item, or one that is no readable DIB, leaves the clipboard empty: the picture
// it replaces is not offered any more. Nothing is converted until a program asks.
void own_selection(const shared_picture &dib) {
    clipboard_state &c = clip();
    x11_state &s = x11();
    c.picture.reset();
    c.png.reset();
    bool bmp = false, png = false;
    if (!dib || !picture_forms(*dib, &bmp, &png)) {
        disown();
        return;
    }
    Window window = owner_window();
    Time time = x11_server_time(window);
    XSetSelectionOwner(s.display, s.atoms.clipboard, window, time);
    if (XGetSelectionOwner(s.display, s.atoms.clipboard) != window) return;
    c.owned_since = time;
    c.picture = dib;
    c.offers_bmp = bmp;
    c.offers_png = png;
}

void put_property(Window requestor, Atom property, Atom type, int format, const void *data,
                  size_t count) {
    XChangeProperty(x11().display, requestor, property, type, format, PropModeReplace,
                    static_cast<const unsigned char *>(data), int(count));
}

void send_targets(Window requestor, Atom property) {
    clipboard_state &c = clip();
    x11_atoms &a = x11().atoms;
    std::vector<long> targets{long(a.targets), long(a.timestamp)};
    if (c.offers_bmp) targets.push_back(long(a.image_bmp));
    if (c.offers_png || c.png) targets.push_back(long(a.image_png));
    put_property(requestor, property, XA_ATOM, 32, targets.data(), targets.size());
}

// Starts the form's conversion: a small result goes at once, a large one by INCR with the
// size made so far as its lower bound. False refuses the request (no memory, unreadable).
bool send_form(Window requestor, Atom property, Atom type, picture_form form) {
    clipboard_state &c = clip();
    x11_state &s = x11();
    bool file = form == PICTURE_PNG && c.png;
    std::unique_ptr<picture_stream, stream_closer> stream(
        picture_stream_open(file ? c.png : c.picture, file ? PICTURE_FILE : form));
    std::vector<unsigned char> first;
    size_t limit = chunk_limit();
    if (!stream || !picture_stream_fill(stream.get(), &first, limit + 1)) return false;
    if (picture_stream_done(stream.get()) && first.size() <= limit) {
        put_property(requestor, property, type, 8, first.data(), first.size());
        return true;
    }
    // The requestor deletes the INCR property to ask for the first chunk.
    XSelectInput(s.display, requestor, PropertyChangeMask);
    long size = long(first.size());
    put_property(requestor, property, s.atoms.incr, 32, &size, 1);
    if (c.transfers.size() >= k_max_transfers) c.transfers.pop_front();
    c.transfers.push_back(
        incr_transfer{requestor, property, type, std::move(stream), std::move(first), false});
    return true;
}

// Writes the requested form and returns the property that holds it, or None to refuse.
Atom answer(const XSelectionRequestEvent &r) {
    clipboard_state &c = clip();
    x11_atoms &a = x11().atoms;
    Atom property = r.property != None ? r.property : r.target; // obsolete requestors
    if (!c.picture || r.selection != a.clipboard) return None;
    if (r.time != CurrentTime && r.time < c.owned_since) return None;
    bool sent = true;
    if (r.target == a.targets) {
        send_targets(r.requestor, property);
    } else if (r.target == a.timestamp) {
        long time = long(c.owned_since);
        put_property(r.requestor, property, XA_INTEGER, 32, &time, 1);
    } else if (r.target == a.image_bmp && c.offers_bmp) {
        sent = send_form(r.requestor, property, a.image_bmp, PICTURE_BMP);
    } else if (r.target == a.image_png && (c.offers_png || c.png)) {
        sent = send_form(r.requestor, property, a.image_png, PICTURE_PNG);
    } else {
        sent = false;
    }
    return sent ? property : None;
}

void on_request(const XSelectionRequestEvent &r) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    try {
        reply.xselection.property = answer(r);
    } catch (...) { // what cannot be served is refused
        reply.xselection.property = None;
    }
    XSendEvent(x11().display, r.requestor, False, 0, &reply);
    XFlush(x11().display);
}

// The next chunk of an INCR transfer, converted now that the requestor has taken the
// previous one. A conversion that fails part way ends the transfer early: the reader gets a
// file that is cut short, which it can tell, rather than waiting for ever.
void send_next_chunk(incr_transfer &t) {
    size_t limit = chunk_limit();
    if (t.stream && t.ready.size() < limit) {
        if (!picture_stream_fill(t.stream.get(), &t.ready, limit) ||
            picture_stream_done(t.stream.get())) {
            t.stream.reset();
        }
    }
    size_t count = std::min(limit, t.ready.size());
    put_property(t.requestor, t.property, t.type, 8, t.ready.data(), count);
    t.ready.erase(t.ready.begin(), t.ready.begin() + ptrdiff_t(count));
    t.finished = count == 0; // the empty chunk ends the transfer
    XFlush(x11().display);
}

bool on_property_deleted(const XPropertyEvent &p) {
    auto &transfers = clip().transfers;
    for (auto it = transfers.begin(); it != transfers.end(); ++it) {
        if (it->requestor != p.window || it->property != p.atom) continue;
        if (p.state != PropertyDelete) return true;
        if (it->finished) {
            transfers.erase(it);
            return true;
        }
        send_next_chunk(*it);
        return true;
    }
    return false;
}

} // namespace

namespace {

// Hands a copy of the item to the GUI thread; false when no copy could be kept.
bool hand_over(const void *item, size_t bytes, bool png) {
    if (!x11().opened.load(std::memory_order_acquire)) return true; // only ever called once open
    if (!picture_handover_give(clip().handover, item, bytes, png)) return false;
    if (x11_on_gui_thread()) {
        x11_clipboard_take_pending();
    } else {
        x11().sink.wake(); // the GUI thread takes the selection in its next pump
    }
    return true;
}

} // namespace

bool x11_clipboard_export(const void *dib, size_t bytes) {
    return hand_over(dib, bytes, false);
}

bool x11_clipboard_export_png(const void *png, size_t bytes) {
    return hand_over(png, bytes, true);
}

void x11_clipboard_take_pending(void) {
    clipboard_state &c = clip();
    shared_picture dib, png;
    bool new_picture, new_png;
    picture_handover_take(c.handover, &dib, &new_picture, &png, &new_png);
    if (new_picture) own_selection(dib);
    if (new_png && c.picture) c.png = png && !png->empty() ? png : nullptr;
    XFlush(x11().display);
}

bool x11_clipboard_handle(const XEvent *event) {
    clipboard_state &c = clip();
    switch (event->type) {
    case SelectionRequest:
        if (c.owner == None || event->xselectionrequest.owner != c.owner) return false;
        on_request(event->xselectionrequest);
        return true;
    case SelectionClear: // another program took the clipboard
        if (c.owner == None || event->xselectionclear.window != c.owner) return false;
        if (event->xselectionclear.selection == x11().atoms.clipboard) {
            c.picture.reset();
            c.png.reset();
        }
        return true;
    case PropertyNotify:
        if (event->xproperty.window == c.owner && c.owner != None) return true;
        try {
            return on_property_deleted(event->xproperty);
        } catch (...) {
            return true;
        }
    default:
        return false;
    }
}

// The owner window went with the connection; what remains is our own memory.
void x11_clipboard_release(void) {
    delete clip_pointer();
    clip_pointer() = nullptr;
}
