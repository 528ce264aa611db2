// Waiting for something the GUI thread does, with a deadline instead of a fixed sleep.
#ifndef ZELVAN_TESTS_POLL_H
#define ZELVAN_TESTS_POLL_H

#include <chrono>
#include <thread>

// Polls `condition` every few milliseconds until it holds or `seconds` have passed.
template <typename Condition> bool poll_until(Condition condition, double seconds = 5.0) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

#endif
