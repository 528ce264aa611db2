// Feeds arbitrary bytes to the RIFF palette reader and makes a platform palette of every
// accepted one, as ZVLoadRIFFPalette does.
#include "fuzz_file.h"
#include "image/files/palette_file.h"

#include "core/heap.h"
#include "zelvan.h"

#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = fuzz_path("riff-in");
    if (!write_input(path, data, size)) return 0;
    LOGPALETTE *palette = nullptr;
    int result = riff_palette_read(path.c_str(), &palette);
    if ((result == ZV_OK) != (palette != nullptr)) abort();
    if (!palette) return 0;
    HPALETTE made = CreatePalette(palette);
    if (made) {
        PALETTEENTRY last;
        // The entry count the platform took must be the one the file gave.
        if (GetPaletteEntries(made, palette->palNumEntries - 1u, 1, &last) != 1) abort();
        DeleteObject(made);
    }
    heap_free(palette);
    return 0;
}
