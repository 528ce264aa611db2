// Finding the golden scenes: the folder the build names (ZELVAN_GOLDEN_DIR), or the one
// ZELVAN_SCENE_DIR names when set, and the scenes in it. Nothing here throws: the tests list
// their scenes while GoogleTest registers them, and a missing folder must become a failing
// test, not a crash of the listing.
#ifndef ZELVAN_TESTS_SCENE_FOLDER_H
#define ZELVAN_TESTS_SCENE_FOLDER_H

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

inline std::string golden_folder() {
    const char *custom = getenv("ZELVAN_SCENE_DIR");
    return custom && *custom ? custom : ZELVAN_GOLDEN_DIR;
}

struct scene_listing {
    std::vector<std::string> names; // sorted, without ".scene"
    std::string problem;            // why the folder is not usable; empty when it is
};

// The scenes of `folder`. A scene's name is made of letters, digits and underscores, since
// it becomes a test's name; files named otherwise are left out and reported.
inline scene_listing list_scenes(const std::string &folder) {
    namespace fs = std::filesystem;
    scene_listing found;
    std::error_code error;
    fs::directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        const fs::path &path = entry->path();
        if (path.extension() != ".scene") continue;
        std::string name = path.stem().string();
        bool usable = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_';
        });
        if (usable)
            found.names.push_back(name);
        else
            found.problem +=
                "scene file name not made of letters, digits and _: " + path.filename().string() +
                "\n";
    }
    if (error) {
        found.problem = "the golden folder " + folder + " cannot be read: " + error.message();
        found.names.clear();
    } else if (found.names.empty()) {
        found.problem += "the golden folder " + folder + " holds no .scene files";
    }
    std::sort(found.names.begin(), found.names.end());
    return found;
}

#endif
