// The calls one stress worker makes, and the pools of windows and bitmaps the workers share.
#ifndef ZELVAN_TESTS_STRESS_OPERATIONS_H
#define ZELVAN_TESTS_STRESS_OPERATIONS_H

#include "../api/image_files.h"
#include "stress_support.h"

#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

// Handles or ids handed between workers. Taking one out is how a worker claims the right to
// destroy or discard it, so each is given back to the library exactly once.
struct handle_pool {
    std::mutex lock;
    std::vector<int> live;
    std::set<int> made;
    long added = 0; // how many values were ever added (window handles are reused)

    void add(int value);
    int any(std::minstd_rand &random);  // 0 when empty; the value stays in the pool
    int take(std::minstd_rand &random); // 0 when empty
    size_t size();
    std::vector<int> take_all();
    std::vector<int> every_id_made();
};

struct stress_shared {
    handle_pool windows;
    handle_pool bitmaps;
    std::string bmp_8bit, bmp_24bit, bmp_4bit, riff, corrupt, missing;
    const scratch_folder &folder;

    explicit stress_shared(const scratch_folder &scratch);
};

// One worker's view: its pools, its random numbers, and where it reports progress.
struct worker {
    stress_shared *shared;
    int index;
    std::minstd_rand random;
    worker_status *status;

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    void doing(const char *call) {
        status->doing.store(call);
        status->done.fetch_add(1);
    }
    std::string own_file(const char *what) {
        return shared->folder.path("w" + std::to_string(index) + "-" + what);
    }
};

// The file, bitmap, clipboard and input parts of the mix (stress_files.cpp).
void stress_bitmaps(worker &w, int window);
void stress_files(worker &w, int window);
void stress_input(worker &w, int window);

// Makes `operations` calls (fewer if `stop_at` comes first). The destroyer mostly destroys
// windows other workers are using.
void stress_worker(stress_shared *shared, int index, bool destroyer, long operations,
                   std::chrono::steady_clock::time_point stop_at, worker_status *status);

#endif
