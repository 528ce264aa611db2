/* A second X client that watches a window and counts the distinct frames it shows.
 *
 *   present_observer TITLE FRAMES
 *
 * Waits for a top-level window named TITLE, then reads the pixel at its centre over and over
 * (XGetImage). The programs under test paint frame k (1 to FRAMES) in one colour whose red
 * and green bytes hold k; the observer prints how many of the FRAMES it saw and at what rate
 * they arrived, from the first frame seen to the last. It stops at the last frame, or after
 * two seconds without a new one. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_s(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* Looking for a window again and again in a tight loop floods the server and holds up the
 * program that is making it. */
static void pause_briefly(void) {
    struct timespec pause = {0, 10 * 1000 * 1000};
    nanosleep(&pause, NULL);
}

/* A window not yet mapped answers XGetImage with an error: the next sample tries again. */
static int ignore_error(Display *d, XErrorEvent *e) {
    (void)d;
    (void)e;
    return 0;
}

static Window find_named(Display *d, Window parent, const char *title) {
    Window root, up, *children = NULL, found = 0;
    unsigned int count = 0, i;
    if (!XQueryTree(d, parent, &root, &up, &children, &count)) return 0;
    for (i = 0; i < count && found == 0; ++i) {
        char *name = NULL;
        if (XFetchName(d, children[i], &name) && name != NULL && strcmp(name, title) == 0)
            found = children[i];
        if (name != NULL) XFree(name);
        if (found == 0) found = find_named(d, children[i], title);
    }
    if (children != NULL) XFree(children);
    return found;
}

int main(int argc, char **argv) {
    Display *d;
    Window w = 0;
    XWindowAttributes a;
    char *seen;
    int frames, count = 0, last = 0;
    double start = now_s(), first_at = 0, last_at = 0, quiet_since;
    if (argc != 3 || (frames = atoi(argv[2])) < 1) {
        fprintf(stderr, "usage: %s TITLE FRAMES\n", argv[0]);
        return 2;
    }
    d = XOpenDisplay(NULL);
    if (d == NULL) return 2;
    XSetErrorHandler(ignore_error);
    /* SDL makes and drops a first window under the same name: keep looking until the window
     * found is still there. */
    while (now_s() - start < 20) {
        w = find_named(d, DefaultRootWindow(d), argv[1]);
        if (w != 0 && XGetWindowAttributes(d, w, &a)) break;
        w = 0;
        pause_briefly();
    }
    if (w == 0) {
        fprintf(stderr, "no window named %s\n", argv[1]);
        return 1;
    }
    seen = calloc((size_t)frames + 1, 1);
    quiet_since = now_s();
    while (last != frames && now_s() - quiet_since < 2.0) {
        XImage *image = XGetImage(d, w, a.width / 2, a.height / 2, 1, 1, AllPlanes, ZPixmap);
        if (image == NULL) {
            /* Not shown yet, made at another size first, or made again under the same name
             * (SDL replaces its first window): look the window up again. */
            if (!XGetWindowAttributes(d, w, &a)) {
                Window again = find_named(d, DefaultRootWindow(d), argv[1]);
                if (again != 0) w = again;
                pause_briefly();
            }
            continue;
        }
        unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        /* Frames carry 0x80 in blue, so the window's first, empty picture is not counted. */
        if ((pixel & 0xFF) != 0x80) {
            XGetWindowAttributes(d, w, &a);
            continue;
        }
        int k = (int)(((pixel >> 16) & 0xFF) | ((pixel >> 8) & 0xFF) << 8);
        if (k < 1 || k > frames || seen[k]) continue;
        seen[k] = 1;
        last = k;
        if (++count == 1) first_at = now_s();
        last_at = quiet_since = now_s();
    }
    double span = last_at - first_at;
    printf("seen %d of %d frames in %.3f s: %.1f frames/s\n", count, frames, span,
           span > 0 ? (count - 1) / span : 0.0);
    free(seen);
    XCloseDisplay(d);
    return 0;
}
