// The reference renderer: draws golden scenes with the real GDI into a 32-bit DIB section
// and writes each as a 24-bit BMP. A Windows program, run under Wine by regenerate.sh.
//   render.exe SCENE PICTURE [SCENE PICTURE]...
#include "tests/scene/scene_gdi.h"
#include "tests/scene/scene_picture.h"
#include "tests/scene/scene_script.h"
#include "tools/reference-gdi/dib_surface.h"

#include <stdio.h>

namespace {

// Renders one scene; returns an error message, empty on success.
std::string render(const char *scene_path, const char *picture_path) {
    scene_script scene;
    std::string error = read_scene_file(scene_path, &scene);
    if (!error.empty()) return error;
    dib_surface surface(scene.width, scene.height);
    if (!surface.bits) return std::string(scene_path) + ": no 32-bit surface of its size";
    play_scene_on_gdi(scene, surface.dc);
    GdiFlush();
    scene_picture picture;
    picture.width = scene.width;
    picture.height = scene.height;
    // DIB pixels are 0x00RRGGBB; the picture holds 0x00BBGGRR, as COLORREF does.
    size_t count = static_cast<size_t>(scene.width) * scene.height;
    for (size_t i = 0; i < count; i++) {
        uint32_t p = surface.bits[i];
        picture.pixels.push_back((p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16);
    }
    if (!write_scene_picture(picture_path, picture))
        return std::string("cannot write ") + picture_path;
    return "";
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3 || argc % 2 == 0) {
        fprintf(stderr, "usage: render.exe SCENE PICTURE [SCENE PICTURE]...\n");
        return 2;
    }
    int failures = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string error = render(argv[i], argv[i + 1]);
        if (error.empty()) continue;
        fprintf(stderr, "%s\n", error.c_str());
        failures++;
    }
    return failures ? 1 : 0;
}
