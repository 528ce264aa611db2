// A proportional request never gets a monospaced face, even where the configuration would
// give it one: fontconfig is pointed at a configuration of the DejaVu faces alone whose only
// rule makes a made-up name prefer DejaVu Sans Mono. Set before the first font is drawn; this
// file holds only tests that want it.
#include "gdi_text_util.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

namespace {

// The folder of the installed DejaVu Sans Mono, or "".
std::string dejavu_folder() {
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("DejaVu Sans Mono"));
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet *fonts = FcFontList(nullptr, pattern, objects);
    FcChar8 *file = nullptr;
    std::string path;
    if (fonts && fonts->nfont > 0 &&
        FcPatternGetString(fonts->fonts[0], FC_FILE, 0, &file) == FcResultMatch)
        path = reinterpret_cast<const char *>(file);
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return path.substr(0, path.rfind('/'));
}

// False when DejaVu Sans Mono is not installed.
bool use_monospace_preferring_config() {
    static char path[] = "/tmp/zelvan-font-kind-XXXXXX";
    static bool ready = false;
    std::string folder = dejavu_folder();
    if (ready || folder.empty()) return ready;
    int fd = mkstemp(path);
    std::string config = "<fontconfig><dir>" + folder +
                         "</dir><alias><family>Proportional Name"
                         "</family><prefer><family>DejaVu Sans Mono</family></prefer></alias>"
                         "</fontconfig>\n";
    ready = fd >= 0 && write(fd, config.data(), config.size()) == (ssize_t)config.size();
    if (fd >= 0) close(fd);
    if (ready) setenv("FONTCONFIG_FILE", path, 1);
    atexit([] { unlink(path); });
    return ready;
}

int width_difference(const char *face, DWORD pitch) {
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, pitch, face);
    int difference = advance_of(font, "MMMM") - advance_of(font, "iiii");
    DeleteObject(font);
    return difference;
}

} // namespace

TEST(GdiFontKind, ProportionalRequestsNeverGetAMonospacedFace) {
    if (!use_monospace_preferring_config()) GTEST_SKIP() << "DejaVu Sans Mono is not installed";
    EXPECT_GT(width_difference("Proportional Name", FF_MODERN), 0);
    EXPECT_EQ(width_difference("Proportional Name", FF_MODERN | FIXED_PITCH), 0)
        << "a fixed pitch asks for a monospaced face";
    EXPECT_EQ(width_difference("DejaVu Sans Mono", FF_MODERN), 0) << "a face asked for by name";
}
