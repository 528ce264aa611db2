// The readers take file names, so each input is written to a per-process file on tmpfs.
#ifndef ZELVAN_FUZZ_FUZZ_FILE_H
#define ZELVAN_FUZZ_FUZZ_FILE_H

#include <stdint.h>
#include <stdio.h>
#include <string>
#include <unistd.h>

inline std::string fuzz_path(const char *what) {
    const char *dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/zelvan-fuzz-" + what + "-" + std::to_string(getpid());
}

inline bool write_input(const std::string &path, const uint8_t *data, size_t size) {
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && ok;
}

// Reads a whole file back; empty on failure.
inline std::string read_back(const std::string &path) {
    std::string bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

#endif
