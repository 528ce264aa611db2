// One stress worker's mix of calls, each result checked against the call's documented set.
#include "stress_operations.h"

#include "../api/headless_helpers.h"

#include <algorithm>
#include <string>

namespace {

const long long OK = ZV_OK, ERR = ZV_ERROR, BAD_WINDOW = ZV_ERR_BAD_WINDOW,
                BAD_BITMAP = ZV_ERR_BAD_BITMAP;
// More windows than this and a worker destroys one instead of creating another.
const size_t k_window_cap = 24;

void create_or_destroy(worker &w, bool destroyer) {
    if (destroyer || w.shared->windows.size() >= k_window_cap) {
        int handle = w.shared->windows.take(w.random);
        if (handle == 0) return;
        w.doing("ZVDestroyWindow");
        expect_one_of("ZVDestroyWindow", ZVDestroyWindow(handle), {0});
        return;
    }
    // One in four is a canvas, which the same calls draw into.
    bool canvas = w.number(0, 3) == 0;
    w.doing(canvas ? "ZVCreateCanvas" : "ZVCreateWindow");
    int handle = canvas ? ZVCreateCanvas(w.number(1, 90), w.number(1, 70))
                        : ZVCreateWindow(w.number(0, 300), w.number(0, 200), w.number(1, 90),
                                         w.number(1, 70), "stress");
    expect_range_or(canvas ? "ZVCreateCanvas" : "ZVCreateWindow", handle, 1, 8192, {});
    if (handle > 0) w.shared->windows.add(handle);
}

void draw(worker &w, int window) {
    int x = w.number(-20, 100), y = w.number(-20, 80), a = w.number(-20, 100),
        b = w.number(-20, 80);
    float start = (float)w.number(-400, 400), sweep = (float)w.number(-400, 400);
    switch (w.number(0, 13)) {
    case 0:
        w.doing("ZVLine");
        expect_one_of("ZVLine", ZVLine(window, x, y), {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 1:
        w.doing("ZVMoveTo");
        expect_one_of("ZVMoveTo", ZVMoveTo(window, x, y), {OK, BAD_WINDOW});
        break;
    case 2:
        w.doing("ZVCircle");
        // In smooth mode a circle's outline reports a platform or memory failure too.
        expect_one_of("ZVCircle", ZVCircle(window, x, y, a),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 3:
        w.doing("ZVArc");
        expect_one_of("ZVArc", ZVArc(window, x, y, a, start, sweep),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 4:
        w.doing("ZVPie");
        expect_one_of("ZVPie", ZVPie(window, x, y, a, start, sweep),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 5:
        w.doing("ZVRectangle");
        expect_one_of("ZVRectangle", ZVRectangle(window, x, y, a, b),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 6:
        w.doing("ZVFillRectangle");
        expect_one_of("ZVFillRectangle", ZVFillRectangle(window, x, y, a, b),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 7:
        w.doing("ZVInvertRectangle");
        expect_one_of("ZVInvertRectangle", ZVInvertRectangle(window, x, y, a, b),
                      {OK, ERR, BAD_WINDOW});
        break;
    case 8:
        w.doing("ZVFillCircle");
        expect_one_of("ZVFillCircle", ZVFillCircle(window, x, y, a),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 9:
        w.doing("ZVFloodFill");
        expect_one_of("ZVFloodFill", ZVFloodFill(window, x, y, 0), {OK, ERR, BAD_WINDOW});
        break;
    case 11: {
        int xy[8] = {x, y, a, b, b, x, y, a};
        w.doing("ZVFillPolygon");
        expect_one_of("ZVFillPolygon", ZVFillPolygon(window, xy, w.number(2, 4)),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    }
    case 12: {
        float xy[6] = {x + 0.25f, y + 0.5f, a - 0.75f, b + 0.125f, b * 1.5f, x * 0.5f};
        w.doing("ZVPolylineF");
        expect_one_of("ZVPolylineF", ZVPolylineF(window, xy, w.number(1, 3)),
                      {OK, ERR, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    }
    case 10:
        w.doing("ZVTextOut");
        expect_one_of("ZVTextOut", ZVTextOut(window, x, y, "stress"), {OK, ERR, BAD_WINDOW});
        break;
    default: {
        w.doing("ZVSetPixel");
        long long set = ZVSetPixel(window, x, y, (ZVCOLOUR)w.random());
        expect_range_or("ZVSetPixel", set, 0, 0xFFFFFF, {0xFFFFFFFFll, ZV_BAD_COLOUR});
        w.doing("ZVGetPixel");
        expect_range_or("ZVGetPixel", ZVGetPixel(window, x, y), 0, 0xFFFFFF,
                        {0xFFFFFFFFll, ZV_BAD_COLOUR});
        w.doing("ZVPlot");
        expect_one_of("ZVPlot", ZVPlot(window, x, y), {OK, ERR, BAD_WINDOW});
    }
    }
}

void set_attributes(worker &w, int window) {
    ZVCOLOUR colour = (ZVCOLOUR)w.random() & 0xFFFFFF;
    switch (w.number(0, 9)) {
    case 8:
        w.doing("ZVSetSmooth");
        expect_one_of("ZVSetSmooth", ZVSetSmooth(window, w.number(0, 1)), {OK, BAD_WINDOW});
        break;
    case 9:
        w.doing("ZVSetOpacity");
        expect_one_of("ZVSetOpacity", ZVSetOpacity(window, w.number(-1, 256)),
                      {OK, ERR, BAD_WINDOW});
        break;
    case 0:
        w.doing("ZVSetForeground");
        expect_one_of("ZVSetForeground", ZVSetForeground(window, colour), {OK, BAD_WINDOW});
        break;
    case 1:
        w.doing("ZVSetBackground");
        expect_one_of("ZVSetBackground", ZVSetBackground(window, colour), {OK, BAD_WINDOW});
        break;
    case 2:
        w.doing("ZVSetLineStyle");
        expect_one_of("ZVSetLineStyle", ZVSetLineStyle(window, w.number(0, 5)), {OK, BAD_WINDOW});
        break;
    case 3:
        w.doing("ZVSetLineWidth");
        expect_one_of("ZVSetLineWidth", ZVSetLineWidth(window, w.number(1, 9)), {OK, BAD_WINDOW});
        break;
    case 4:
        w.doing("ZVSetFillStyle");
        expect_one_of("ZVSetFillStyle", ZVSetFillStyle(window, w.number(0, 6)), {OK, BAD_WINDOW});
        break;
    case 5:
        w.doing("ZVSetFillColour");
        expect_one_of("ZVSetFillColour", ZVSetFillColour(window, colour), {OK, BAD_WINDOW});
        break;
    case 6:
        w.doing("ZVTextAlign");
        expect_one_of("ZVTextAlign", ZVTextAlign(window, w.number(0, 12)), {OK, ERR, BAD_WINDOW});
        break;
    default: {
        static const char *const faces[] = {"DejaVu Sans", "DejaVu Serif", "No Such Face"};
        w.doing("ZVSetFont");
        expect_one_of("ZVSetFont",
                      ZVSetFont(window, w.number(6, 30), w.number(0, 360), faces[w.number(0, 2)]),
                      {OK, ERR, BAD_WINDOW});
    }
    }
}

void use_buffers(worker &w, int window) {
    switch (w.number(0, 6)) {
    case 0:
        w.doing("ZVSetDoubleBuffer");
        expect_one_of("ZVSetDoubleBuffer", ZVSetDoubleBuffer(window, w.number(0, 1)),
                      {0, 1, BAD_WINDOW});
        break;
    case 1:
        w.doing("ZVSwitchDrawBuffer");
        expect_one_of("ZVSwitchDrawBuffer", ZVSwitchDrawBuffer(window), {0, 1, BAD_WINDOW});
        break;
    case 2:
        w.doing("ZVSwitchViewBuffer");
        expect_one_of("ZVSwitchViewBuffer", ZVSwitchViewBuffer(window), {0, 1, BAD_WINDOW});
        break;
    case 3:
        w.doing("ZVClearDrawBuffer");
        expect_one_of("ZVClearDrawBuffer", ZVClearDrawBuffer(window), {OK, ERR, BAD_WINDOW});
        break;
    case 4:
        w.doing("ZVCopyDrawBufferToView");
        expect_one_of("ZVCopyDrawBufferToView", ZVCopyDrawBufferToView(window),
                      {OK, ERR, BAD_WINDOW});
        break;
    case 5:
        w.doing("ZVRedraw");
        expect_one_of("ZVRedraw", ZVRedraw(window), {OK, BAD_WINDOW});
        break;
    default: {
        w.doing("ZVSetAutoRedraw");
        int period = ZVSetAutoRedraw(window, w.number(0, 80));
        expect_range_or("ZVSetAutoRedraw", period, 10, 80, {0, BAD_WINDOW});
    }
    }
}

void control_window(worker &w, int window) {
    switch (w.number(0, 6)) {
    case 0:
        w.doing("ZVResize");
        expect_one_of("ZVResize", ZVResize(window, w.number(-1, 90), w.number(-1, 70)),
                      {OK, ZV_ERR_BAD_WIDTH, ZV_ERR_BAD_HEIGHT, BAD_WINDOW});
        break;
    case 1:
        w.doing("ZVMove");
        // ZV_ERROR from a canvas, which has no place on screen.
        expect_one_of("ZVMove", ZVMove(window, w.number(0, 300), w.number(0, 200)),
                      {OK, ERR, BAD_WINDOW});
        break;
    case 2:
        w.doing("ZVSetTitle");
        expect_one_of("ZVSetTitle", ZVSetTitle(window, "renamed"),
                      {OK, BAD_WINDOW, ZV_ERR_NO_MEMORY});
        break;
    case 3:
        w.doing("ZVMinimize");
        expect_one_of("ZVMinimize", ZVMinimize(window), {OK, ERR, BAD_WINDOW});
        break;
    case 4:
        w.doing("ZVRestore");
        expect_one_of("ZVRestore", ZVRestore(window), {OK, ERR, BAD_WINDOW});
        break;
    case 5:
        w.doing("ZVBringWindowToFront");
        expect_one_of("ZVBringWindowToFront", ZVBringWindowToFront(window), {OK, ERR, BAD_WINDOW});
        break;
    default: {
        w.doing("ZVGetWidth");
        expect_range_or("ZVGetWidth", ZVGetWidth(window), 1, 100000, {BAD_WINDOW});
        // The title buffer is documented as shared by all threads without a lock: one worker
        // alone reads titles.
        if (w.index != 0) break;
        w.doing("ZVGetTitle");
        if (ZVGetTitle(window) == nullptr) g_violations.add("ZVGetTitle (null)", 0);
    }
    }
}

} // namespace

void stress_worker(stress_shared *shared, int index, bool destroyer, long operations,
                   std::chrono::steady_clock::time_point stop_at, worker_status *status) {
    worker w{shared, index, std::minstd_rand((unsigned)index * 7919u + 1u), status};
    for (long step = 0; step < operations && std::chrono::steady_clock::now() < stop_at; ++step) {
        int choice = w.number(0, destroyer ? 3 : 19);
        if (choice == 0 || destroyer) {
            create_or_destroy(w, destroyer && choice != 0);
            continue;
        }
        int window = shared->windows.any(w.random);
        if (window == 0) {
            create_or_destroy(w, false);
            continue;
        }
        if (choice <= 7)
            draw(w, window);
        else if (choice <= 9)
            set_attributes(w, window);
        else if (choice <= 11)
            use_buffers(w, window);
        else if (choice <= 12)
            control_window(w, window);
        else if (choice <= 15)
            stress_bitmaps(w, window);
        else if (choice <= 17)
            stress_files(w, window);
        else
            stress_input(w, window);
    }
}
