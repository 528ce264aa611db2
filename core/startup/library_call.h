// Calls that work outside a window reference (creating and destroying windows, the bitmap
// list) count themselves in flight, so that unloading the library waits for them before it
// frees anything. Per-window calls are not counted: their window reference holds them, and
// the lookup refuses to take one once unloading has begun.
#ifndef ZELVAN_CORE_LIBRARY_CALL_H
#define ZELVAN_CORE_LIBRARY_CALL_H

#include "platform/win32.h"

class library_call {
  public:
    // Starts the library if nothing did yet, then counts the call; a call that arrives once
    // unloading has begun is refused, with ZV_ERR_NOT_INITIALISED in the last error.
    library_call();
    ~library_call();
    library_call(const library_call &) = delete;
    library_call &operator=(const library_call &) = delete;
    bool refused() const { return refused_; }

  private:
    bool refused_;
};

// Refuses every call from now on and waits, at most `bound_ms`, until no call is in flight
// and no window reference is held (INFINITE: for as long as that takes). False when some are
// still running: then nothing may be freed.
bool library_refuse_calls_and_drain(DWORD bound_ms);

#endif
