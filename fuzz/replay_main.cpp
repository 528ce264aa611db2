// Runs a fuzz target over the files and folders named on the command line, once each, so
// that the seed corpora and every reproducer of a past finding stay regression tests in the
// ordinary (non-fuzzing) build.
#include "fuzz_file.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path path = argv[i];
        if (!std::filesystem::is_directory(path)) {
            inputs.push_back(path.string());
            continue;
        }
        for (const auto &entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file()) inputs.push_back(entry.path().string());
    }
    std::sort(inputs.begin(), inputs.end());
    for (const std::string &input : inputs) {
        std::string bytes = read_back(input);
        printf("%s (%zu bytes)\n", input.c_str(), bytes.size());
        fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    printf("%zu inputs replayed\n", inputs.size());
    // Nothing replayed means the folders moved: that must fail rather than pass silently.
    return inputs.empty() ? 1 : 0;
}
