// The steady schedule ZVWaitFrame keeps for a window (window/frame_pacing.cpp). window/ makes
// and frees it (window/window_states.h); the core only holds it for the window
// (`window_record::pacing`).
#ifndef ZELVAN_WINDOW_FRAME_SCHEDULE_H
#define ZELVAN_WINDOW_FRAME_SCHEDULE_H

#include <stdint.h>

// In performance-counter units, under the state lock.
struct frame_schedule {
    int64_t last_tick; // the tick the last call returned at
    int64_t period;    // 0 until the first call
};

#endif
