// The clipboard's picture offered to other programs: the library owns the CLIPBOARD
// selection and serves TARGETS, TIMESTAMP, image/png and image/bmp, large items by INCR.
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

typedef std::shared_ptr<const std::vector<unsigned char>> shared_bytes;

// One INCR transfer: the requestor deletes the property to ask for the next chunk.
struct incr_transfer {
    Window requestor;
    Atom property;
    Atom type;
    shared_bytes data;
    size_t sent;
    bool finished; // the empty closing chunk is on its way
};

struct clipboard_state {
    std::mutex lock; // guards the hand-over from the thread that set the clipboard
    std::vector<unsigned char> pending;
    bool has_pending = false;
    // The rest belongs to the GUI thread.
    Window owner = None;
    Time owned_since = CurrentTime;
    shared_bytes png;
    shared_bytes bmp;
    std::vector<incr_transfer> transfers;
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
// it replaces is not offered any more.
void own_selection(const std::vector<unsigned char> &dib) {
    clipboard_state &c = clip();
    x11_state &s = x11();
    c.png.reset();
    c.bmp.reset();
    auto bmp = std::make_shared<std::vector<unsigned char>>(x11_dib_to_bmp(dib));
    if (bmp->empty()) {
        disown();
        return;
    }
    auto png = std::make_shared<std::vector<unsigned char>>(x11_dib_to_png(dib));
    Window window = owner_window();
    Time time = x11_server_time(window);
    XSetSelectionOwner(s.display, s.atoms.clipboard, window, time);
    if (XGetSelectionOwner(s.display, s.atoms.clipboard) != window) return;
    c.owned_since = time;
    c.bmp = bmp;
    if (!png->empty()) c.png = png;
}

void put_property(Window requestor, Atom property, Atom type, int format, const void *data,
                  size_t count) {
    XChangeProperty(x11().display, requestor, property, type, format, PropModeReplace,
                    static_cast<const unsigned char *>(data), int(count));
}

void send_targets(Window requestor, Atom property) {
    clipboard_state &c = clip();
    x11_atoms &a = x11().atoms;
    std::vector<long> targets{long(a.targets), long(a.timestamp), long(a.image_bmp)};
    if (c.png) targets.push_back(long(a.image_png));
    put_property(requestor, property, XA_ATOM, 32, targets.data(), targets.size());
}

void send_data(Window requestor, Atom property, Atom type, const shared_bytes &data) {
    clipboard_state &c = clip();
    x11_state &s = x11();
    if (data->size() <= chunk_limit()) {
        put_property(requestor, property, type, 8, data->data(), data->size());
        return;
    }
    // The requestor deletes the INCR property to ask for the first chunk.
    XSelectInput(s.display, requestor, PropertyChangeMask);
    long size = long(data->size());
    put_property(requestor, property, s.atoms.incr, 32, &size, 1);
    if (c.transfers.size() >= k_max_transfers) c.transfers.erase(c.transfers.begin());
    c.transfers.push_back(incr_transfer{requestor, property, type, data, 0, false});
}

// Writes the requested form and returns the property that holds it, or None to refuse.
Atom answer(const XSelectionRequestEvent &r) {
    clipboard_state &c = clip();
    x11_atoms &a = x11().atoms;
    Atom property = r.property != None ? r.property : r.target; // obsolete requestors
    if (!c.bmp || r.selection != a.clipboard) return None;
    if (r.time != CurrentTime && r.time < c.owned_since) return None;
    if (r.target == a.targets) {
        send_targets(r.requestor, property);
    } else if (r.target == a.timestamp) {
        long time = long(c.owned_since);
        put_property(r.requestor, property, XA_INTEGER, 32, &time, 1);
    } else if (r.target == a.image_bmp) {
        send_data(r.requestor, property, a.image_bmp, c.bmp);
    } else if (r.target == a.image_png && c.png) {
        send_data(r.requestor, property, a.image_png, c.png);
    } else {
        return None;
    }
    return property;
}

void on_request(const XSelectionRequestEvent &r) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    reply.xselection.property = answer(r);
    XSendEvent(x11().display, r.requestor, False, 0, &reply);
    XFlush(x11().display);
}

// The next chunk of an INCR transfer, once the requestor has taken the previous one.
bool on_property_deleted(const XPropertyEvent &p) {
    auto &transfers = clip().transfers;
    for (auto it = transfers.begin(); it != transfers.end(); ++it) {
        if (it->requestor != p.window || it->property != p.atom) continue;
        if (p.state != PropertyDelete) return true;
        if (it->finished) {
            transfers.erase(it);
            return true;
        }
        size_t count = std::min(chunk_limit(), it->data->size() - it->sent);
        put_property(it->requestor, it->property, it->type, 8, it->data->data() + it->sent, count);
        it->sent += count;
        it->finished = count == 0; // the empty chunk ends the transfer
        XFlush(x11().display);
        return true;
    }
    return false;
}

} // namespace

void x11_clipboard_export(const void *dib, size_t bytes) {
    if (!x11().opened.load(std::memory_order_acquire)) return; // only ever called once open
    clipboard_state &c = clip();
    {
        std::lock_guard<std::mutex> guard(c.lock);
        const unsigned char *begin = static_cast<const unsigned char *>(dib);
        c.pending.assign(begin, begin + (dib != nullptr ? bytes : 0));
        c.has_pending = true;
    }
    if (x11_on_gui_thread()) {
        x11_clipboard_take_pending();
    } else {
        x11().sink.wake(); // the GUI thread takes the selection in its next pump
    }
}

void x11_clipboard_take_pending(void) {
    clipboard_state &c = clip();
    std::vector<unsigned char> dib;
    {
        std::lock_guard<std::mutex> guard(c.lock);
        if (!c.has_pending) return;
        dib.swap(c.pending);
        c.has_pending = false;
    }
    own_selection(dib);
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
            c.bmp.reset();
            c.png.reset();
        }
        return true;
    case PropertyNotify:
        if (event->xproperty.window == c.owner && c.owner != None) return true;
        return on_property_deleted(event->xproperty);
    default:
        return false;
    }
}

// The owner window went with the connection; what remains is our own memory.
void x11_clipboard_release(void) {
    delete clip_pointer();
    clip_pointer() = nullptr;
}
