// Finding the golden scenes: the folder the build names (ZELVAN_GOLDEN_DIR), or the one
// ZELVAN_SCENE_DIR names when set, the scenes in it and their pictures. Nothing here throws: the
// tests list their scenes while GoogleTest registers them, and a missing folder must become a
// failing test, not a crash of the listing.
#ifndef ZELVAN_TESTS_SCENE_FOLDER_H
#define ZELVAN_TESTS_SCENE_FOLDER_H

#include "tests/scene/scene_picture.h"
#include "tests/scene/scene_script.h"

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

// The listing of golden_folder(), made once, when the tests are registered.
inline const scene_listing &golden_scenes() {
    static const scene_listing listing = list_scenes(golden_folder());
    return listing;
}

// Reads the golden scene `name` and its picture; returns why they are unusable, or "".
inline std::string read_golden_case(const std::string &name, scene_script *scene,
                                    scene_picture *picture) {
    std::string base = golden_folder() + "/" + name;
    if (!read_scene_picture(base + ".bmp", picture))
        return "no 24-bit reference picture " + base + ".bmp";
    std::string error = read_scene_file(base + ".scene", scene);
    if (!error.empty()) return error;
    if (scene->width != picture->width || scene->height != picture->height)
        return base + ".bmp is not the size of the scene's canvas";
    return "";
}

#endif
