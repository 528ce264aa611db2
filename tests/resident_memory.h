// How much of the test process is resident in memory, for tests that look for growth.
#ifndef ZELVAN_TESTS_RESIDENT_MEMORY_H
#define ZELVAN_TESTS_RESIDENT_MEMORY_H

#include <stdio.h>
#include <unistd.h>

// Resident bytes from /proc/self/statm, or -1 when it cannot be read.
inline long resident_bytes() {
    long pages_total = 0, pages_resident = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (!statm) return -1;
    int read = fscanf(statm, "%ld %ld", &pages_total, &pages_resident);
    fclose(statm);
    return read == 2 ? pages_resident * sysconf(_SC_PAGESIZE) : -1;
}

// The most the process has had resident since it started or since reset_peak_resident(), in
// bytes (VmHWM), or -1 when it cannot be read.
inline long peak_resident_bytes() {
    FILE *status = fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, status))
        if (sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    fclose(status);
    return kib < 0 ? -1 : kib * 1024;
}

// Starts the peak afresh from what is resident now; false where the kernel does not offer it.
inline bool reset_peak_resident() {
    FILE *refs = fopen("/proc/self/clear_refs", "w");
    if (!refs) return false;
    bool reset = fputs("5", refs) >= 0;
    return fclose(refs) == 0 && reset;
}

#endif
