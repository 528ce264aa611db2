// Every entry of a driver is a boundary no exception may cross: the window manager calls it
// from threads whose callers are C. One that escapes the driver's work (no memory for a
// window's record, say) becomes the entry's failure value: null, false or nothing.
#ifndef ZELVAN_DISPLAY_GUARD_H
#define ZELVAN_DISPLAY_GUARD_H

template <typename Function, Function function> struct display_guarded;
template <typename Result, typename... Arguments, Result (*function)(Arguments...)>
struct display_guarded<Result (*)(Arguments...), function> {
    static Result call(Arguments... arguments) noexcept {
        try {
            return function(arguments...);
        } catch (...) {
            return Result();
        }
    }
};

#define DISPLAY_GUARDED(function) display_guarded<decltype(&function), &function>::call

#endif
