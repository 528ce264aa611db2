// Counting the calls in flight, and refusing new ones once the library is being unloaded.
#include "core/startup/library_call.h"

#include "core/result_codes.h"
#include "core/startup/library_state.h"
#include "core/window_table.h"

std::atomic<bool> g_unloading{false};

namespace {

std::atomic<int> g_calls_in_flight{0};
// A call that outlasts the first pauses may take long (a file on a stalled disk): the wait
// then looks less often.
const DWORD k_longest_pause_ms = 32;

} // namespace

library_call::library_call() : refused_(false) {
    library_ensure_started();
    // Sequentially consistent on both sides: either the unloader sees this call counted, or
    // the call sees that unloading has begun.
    g_calls_in_flight.fetch_add(1);
    if (!g_unloading.load()) return;
    g_calls_in_flight.fetch_sub(1, std::memory_order_release);
    refused_ = true;
    set_last_error(ZV_ERR_NOT_INITIALISED);
}

library_call::~library_call() {
    // Release: whatever the call left behind is seen by the unloader that reads the count as
    // zero.
    if (!refused_) g_calls_in_flight.fetch_sub(1, std::memory_order_release);
}

bool library_refuse_calls_and_drain(DWORD bound_ms) {
    g_unloading.store(true);
    DWORD start = GetTickCount();
    for (DWORD pause = 1;; pause = pause < k_longest_pause_ms ? pause * 2 : pause) {
        // Lookups read the flag under the table lock that the reference check takes: once
        // that check has run, every reference is in the table and no lookup hands out another.
        bool idle = g_calls_in_flight.load() == 0 && !window_table_in_use();
        if (idle) return true;
        if (bound_ms != INFINITE && GetTickCount() - start >= bound_ms) return false;
        Sleep(pause);
    }
}
