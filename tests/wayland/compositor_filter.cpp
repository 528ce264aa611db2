// The filter between the library and sway: one thread passes every connection's messages both
// ways, with the descriptors that travel beside them, and reads just enough of the wire format
// (a header of object, size and opcode; strings as length, bytes and padding) to find the
// decoration protocol's objects.
#include "compositor_filter.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <set>
#include <vector>

namespace {

const char *const k_hidden_globals[] = {"zxdg_decoration_manager_v1",
                                        "org_kde_kwin_server_decoration_manager"};
const char k_decoration_manager[] = "zxdg_decoration_manager_v1";
const uint32_t k_client_side = 1; // zxdg_toplevel_decoration_v1.mode
const size_t k_max_fds = 28;      // what libwayland sends with one message at most

// One direction of a connection: bytes of a message not complete yet, and descriptors
// received and not passed on yet.
struct stream {
    int from = -1, to = -1;
    std::vector<uint8_t> bytes;
    std::deque<int> fds;
};

// The objects of one client that the filter watches (ids are the client's own).
struct connection {
    stream up, down; // to the compositor, to the client
    std::set<uint32_t> registries, managers, decorations;
    std::set<uint32_t> hidden; // names of globals the client was never told about
};

uint32_t word(const uint8_t *p) {
    uint32_t value;
    memcpy(&value, p, 4);
    return value;
}

// The string at `at` in a message of `size` bytes, and where what follows it starts; false when
// the message is too short for it.
bool read_string(const uint8_t *message, size_t size, size_t *at, std::string *out) {
    if (*at + 4 > size) return false;
    size_t length = word(message + *at);
    size_t padded = (length + 3) & ~size_t(3);
    if (*at + 4 + padded > size) return false;
    out->assign(reinterpret_cast<const char *>(message) + *at + 4, length > 0 ? length - 1 : 0);
    *at += 4 + padded;
    return true;
}

bool hidden_global(const std::string &interface) {
    for (const char *name : k_hidden_globals) {
        if (interface == name) return true;
    }
    return false;
}

// A request on its way to the compositor: new registries, decoration managers and decorations.
void watch_request(connection &c, const uint8_t *m, size_t size, uint32_t object, uint32_t opcode) {
    if (object == 1 && opcode == 1 && size >= 12) c.registries.insert(word(m + 8));
    if (c.registries.count(object) && opcode == 0) { // bind(name, interface, version, id)
        size_t at = 12;
        std::string interface;
        if (read_string(m, size, &at, &interface) && at + 8 <= size &&
            interface == k_decoration_manager) {
            c.managers.insert(word(m + at + 4));
        }
    }
    if (c.managers.count(object) && opcode == 1 && size >= 12) c.decorations.insert(word(m + 8));
}

// An event on its way to the client; false when the client must not see it.
bool pass_event(connection &c, compositor_look look, uint8_t *m, size_t size, uint32_t object,
                uint32_t opcode) {
    if (object == 1 && opcode == 1 && size >= 12) { // delete_id: the id may name anything now
        uint32_t id = word(m + 8);
        c.managers.erase(id);
        c.decorations.erase(id);
    }
    if (look == compositor_look::hide_decorations && c.registries.count(object)) {
        if (opcode == 0) { // global(name, interface, version)
            size_t at = 12;
            std::string interface;
            if (size >= 12 && read_string(m, size, &at, &interface) && hidden_global(interface)) {
                c.hidden.insert(word(m + 8));
                return false;
            }
        }
        if (opcode == 1 && size >= 12 && c.hidden.count(word(m + 8))) return false;
    }
    if (look == compositor_look::client_decorations && c.decorations.count(object) && opcode == 0 &&
        size >= 12) {
        memcpy(m + 8, &k_client_side, 4);
    }
    return true;
}

// Sends `bytes` with every descriptor waiting; false when the peer is gone.
bool send_all(stream &s, const std::vector<uint8_t> &bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        iovec io{const_cast<uint8_t *>(bytes.data()) + sent, bytes.size() - sent};
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * k_max_fds)];
        size_t count = std::min(s.fds.size(), k_max_fds);
        if (count > 0) {
            message.msg_control = control;
            message.msg_controllen = CMSG_SPACE(sizeof(int) * count);
            cmsghdr *header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int) * count);
            for (size_t i = 0; i < count; ++i) {
                memcpy(CMSG_DATA(header) + i * sizeof(int), &s.fds[i], sizeof(int));
            }
        }
        ssize_t n = sendmsg(s.to, &message, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        for (size_t i = 0; i < count; ++i) {
            close(s.fds.front());
            s.fds.pop_front();
        }
        sent += size_t(n);
    }
    return true;
}

// Reads what `s.from` holds and passes on the complete messages; false when either end closed.
bool pass(connection &c, stream &s, bool upward, compositor_look look) {
    uint8_t buffer[4096];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * k_max_fds)];
    iovec io{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n = recvmsg(s.from, &message, MSG_CMSG_CLOEXEC);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) return false;
    for (cmsghdr *h = CMSG_FIRSTHDR(&message); h != nullptr; h = CMSG_NXTHDR(&message, h)) {
        if (h->cmsg_level != SOL_SOCKET || h->cmsg_type != SCM_RIGHTS) continue;
        size_t count = (h->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int fd;
            memcpy(&fd, CMSG_DATA(h) + i * sizeof(int), sizeof fd);
            s.fds.push_back(fd);
        }
    }
    s.bytes.insert(s.bytes.end(), buffer, buffer + n);
    std::vector<uint8_t> out;
    size_t at = 0;
    while (s.bytes.size() - at >= 8) {
        uint8_t *m = s.bytes.data() + at;
        uint32_t object = word(m), size = word(m + 4) >> 16, opcode = word(m + 4) & 0xFFFF;
        if (size < 8 || size % 4 != 0) return false;
        if (s.bytes.size() - at < size) break;
        if (upward) watch_request(c, m, size, object, opcode);
        if (upward || pass_event(c, look, m, size, object, opcode)) {
            out.insert(out.end(), m, m + size);
        }
        at += size;
    }
    s.bytes.erase(s.bytes.begin(), s.bytes.begin() + long(at));
    return out.empty() || send_all(s, out);
}

void close_connection(connection &c) {
    for (stream *s : {&c.up, &c.down}) {
        for (int fd : s->fds) close(fd);
        s->fds.clear();
    }
    close(c.up.from);
    close(c.up.to);
}

int connect_to(const std::string &path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        return fd;
    }
    if (fd >= 0) close(fd);
    return -1;
}

} // namespace

compositor_filter::compositor_filter(const std::string &runtime, const std::string &upstream,
                                     const std::string &name, compositor_look look)
    : upstream_(runtime + "/" + upstream), path_(runtime + "/" + name), look_(look) {
    if (pipe2(stop_, O_CLOEXEC) != 0) return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    unlink(path_.c_str());
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0) {
        if (fd >= 0) close(fd);
        return;
    }
    listener_ = fd;
    thread_ = std::thread([this] { serve(); });
}

compositor_filter::~compositor_filter() {
    if (thread_.joinable()) {
        char stop = 1;
        if (write(stop_[1], &stop, 1) == 1) thread_.join();
    }
    for (int fd : {listener_, stop_[0], stop_[1]}) {
        if (fd >= 0) close(fd);
    }
    unlink(path_.c_str());
}

void compositor_filter::serve() {
    std::vector<connection *> connections;
    for (;;) {
        std::vector<pollfd> watched{{stop_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (connection *c : connections) {
            watched.push_back({c->up.from, POLLIN, 0});
            watched.push_back({c->down.from, POLLIN, 0});
        }
        if (poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR) break;
        if (watched[0].revents != 0) break;
        // Only the connections polled have events in `watched`; one accepted now waits a round.
        const size_t polled = connections.size();
        if (watched[1].revents & POLLIN) {
            int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            int server = client >= 0 ? connect_to(upstream_) : -1;
            if (server >= 0) {
                connection *c = new connection;
                c->up.from = c->down.to = client;
                c->up.to = c->down.from = server;
                connections.push_back(c);
            } else if (client >= 0) {
                close(client);
            }
        }
        // Connections are read in the order polled; one that ended goes after the round.
        std::vector<connection *> open(connections.begin() + polled, connections.end());
        for (size_t i = 0; i < polled; ++i) {
            connection *c = connections[i];
            short up = watched[2 + 2 * i].revents, down = watched[3 + 2 * i].revents;
            bool alive =
                (!up || pass(*c, c->up, true, look_)) && (!down || pass(*c, c->down, false, look_));
            if (alive) {
                open.push_back(c);
            } else {
                close_connection(*c);
                delete c;
            }
        }
        connections.swap(open);
    }
    for (connection *c : connections) {
        close_connection(*c);
        delete c;
    }
}
