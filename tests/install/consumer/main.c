/* A C program built against the installed library: opens a window, draws, reads back. */
#include <stdio.h>
#include <zelvan.h>

int main(void) {
    int w = ZVCreateWindow(10, 10, 60, 40, "installed");
    if (w <= 0) return 1;
    ZVSetForeground(w, ZVGetRGBColour(255, 0, 0));
    ZVMoveTo(w, 0, 5);
    ZVLine(w, 50, 5);
    ZVCOLOUR c = ZVGetPixel(w, 10, 5);
    ZVDestroyWindow(w);
    printf("version %d, pixel %06x\n", ZVGetVersion(), c);
    return c == ZVGetRGBColour(255, 0, 0) ? 0 : 2;
}
