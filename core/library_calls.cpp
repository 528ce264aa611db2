// Counting the calls in flight, and refusing new ones once the library is being unloaded.
#include "core/library_call.h"

#include "core/library_state.h"
#include "core/result_codes.h"
#include "core/window_table.h"

std::atomic<bool> g_unloading{false};

namespace {

std::atomic<int> g_calls_in_flight{0};

} // namespace

// Sequentially consistent on both sides: either the unloader sees this call counted, or the
// call sees that unloading has begun.
library_call::library_call() : refused_(false) {
    library_ensure_started();
    g_calls_in_flight.fetch_add(1);
    if (g_unloading.load()) {
        refused_ = true;
        set_last_error(ZV_ERR_NOT_INITIALISED);
    }
}

library_call::~library_call() {
    g_calls_in_flight.fetch_sub(1, std::memory_order_release);
}

bool library_refuse_calls_and_drain(DWORD bound_ms) {
    g_unloading.store(true);
    DWORD start = GetTickCount();
    for (;;) {
        // Window references are read under the table lock, which also orders this flag with
        // every lookup: none hands out a reference after the first scan.
        bool idle =
            g_calls_in_flight.load(std::memory_order_acquire) == 0 && !window_table_in_use();
        if (idle) return true;
        if (GetTickCount() - start >= bound_ms) return false;
        Sleep(1);
    }
}
