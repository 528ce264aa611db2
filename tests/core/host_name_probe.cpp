// Opens and closes one window; exits 0 when that worked, 1 when no window opened. Started by
// host_name_test under unusual program names, and by display_choice_test under odd displays.
#include "zelvan.h"

int main() {
    int window = ZVCreateWindow(10, 10, 20, 20, "probe");
    if (window == 0) return 1;
    ZVDestroyWindow(window);
    return ZVIsWindow(window) == ZV_ERR_BAD_WINDOW ? 0 : 2;
}
