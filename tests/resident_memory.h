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

#endif
