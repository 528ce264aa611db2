// What the display layer tells GDI about the screen.
#ifndef ZELVAN_GDI_SCREEN_H
#define ZELVAN_GDI_SCREEN_H

// Sets the screen size GetDeviceCaps(HORZRES / VERTRES) reports; 1920 x 1080 until set.
void gdi_set_screen_size(int width, int height);

#endif
