// Writes the SetDIBitsToDevice table with the real GDI: reads cases, one a line, and prints
// each as a row of the table in tests/platform/gdi_dib_transfer.cpp, what it drew beside it.
// A line may be a bare case or a row of that table (its first quoted text is the case).
// A Windows program, run under Wine by dib_table.sh.
#include "tests/platform/dib_transfer_case.h"
#include "tools/reference-gdi/dib_surface.h"

#include <string.h>

int main() {
    char line[256];
    int failures = 0;
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = 0;
        std::string text = line;
        size_t open = text.find('"');
        if (open != std::string::npos)
            text = text.substr(open + 1, text.find('"', open + 1) - open - 1);
        dib_case c;
        if (!c.parse(text.c_str())) {
            if (text.find_first_not_of(' ') != std::string::npos) {
                fprintf(stderr, "not a case: %s\n", line);
                failures++;
            }
            continue;
        }
        dib_surface surface(k_case_surface, k_case_surface);
        int returned = c.play(surface.dc);
        GdiFlush();
        std::vector<uint32_t> pixels(surface.bits, surface.bits + k_case_surface * k_case_surface);
        for (uint32_t &p : pixels) p &= 0xFFFFFF;
        printf("{\"%s\", \"%s\"},\n", text.c_str(), dib_case_result(returned, pixels).c_str());
    }
    return failures ? 1 : 0;
}
