// Reports the sanitizer builds of the tests ignore, built into every test program, so that no
// test's environment has to carry them.
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions() {
    // fontconfig 2.14 loses a few hundred bytes while it parses its configuration files, once
    // per process; nothing the library does can free them.
    return "leak:libfontconfig.so\n";
}

extern "C" __attribute__((visibility("default"))) const char *__tsan_default_suppressions() {
    // libdecor's frame plugin draws titles with pango, which starts a thread of its own to set
    // up fontconfig and syncs with it through glib's futexes, which ThreadSanitizer cannot
    // see: what the uninstrumented font libraries do to memory is theirs. They are matched by
    // name in the stacks (called_from_lib would stop the tests that unload the library, and
    // fontconfig with it).
    // The Wayland clipboard's transfer threads (started while the driver dispatches) are
    // joined at the next request or at unload: at exit a finished one may wait unjoined.
    return "race:libfontconfig.so\n"
           "race:libglib-2.0.so\n"
           "race:libpango\n"
           "race:libcairo.so\n"
           "thread:wayland_pump_events\n";
}
