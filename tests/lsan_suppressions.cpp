// Leak reports the sanitizer builds of the tests ignore, built into every test program, so
// that no test's environment has to carry them.
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions() {
    // fontconfig 2.14 loses a few hundred bytes while it parses its configuration files, once
    // per process; nothing the library does can free them.
    return "leak:libfontconfig.so\n";
}
