// The golden scene language (tests/golden/README.md): a scene file read into a list of
// steps, one library drawing call each. Shared by the tests that play scenes through the
// library and its platform layer, and by the reference renderer, so all of them read a scene
// the same way.
#ifndef ZELVAN_TESTS_SCENE_SCRIPT_H
#define ZELVAN_TESTS_SCENE_SCRIPT_H

#include <ctype.h>
#include <stdint.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

enum class scene_op {
    ink,
    paper,
    fill_colour,
    pen_width,
    pen_style,
    fill_style,
    move_to,
    line_to,
    plot,
    pixel,
    circle,
    filled_circle,
    arc,
    pie,
    rectangle,
    filled_rectangle,
    invert,
    flood,
    clear,
};

struct scene_point {
    int x = 0, y = 0;
};

// One step; only the fields its operation takes are set.
struct scene_step {
    scene_op op = scene_op::clear;
    int line = 0; // in the file, for messages
    scene_point a, b;
    int number = 0; // radius, width or style
    float start = 0, sweep = 0;
    uint32_t colour = 0; // the library's 0x00BBGGRR, top byte as written
};

struct scene_script {
    int width = 0, height = 0;
    std::vector<scene_step> steps;
};

namespace scene_detail {

using words = std::vector<std::string>;

inline bool read_int(const std::string &word, int *out) {
    if (word.empty()) return false;
    char *end = nullptr;
    long long value = strtoll(word.c_str(), &end, 10);
    if (*end || value < INT32_MIN || value > INT32_MAX) return false;
    *out = static_cast<int>(value);
    return true;
}

inline bool read_point(const std::string &word, scene_point *out) {
    size_t comma = word.find(',');
    return comma != std::string::npos && read_int(word.substr(0, comma), &out->x) &&
           read_int(word.substr(comma + 1), &out->y);
}

inline bool read_angle(const std::string &word, float *out) {
    char *end = nullptr;
    *out = strtof(word.c_str(), &end);
    return !word.empty() && !*end;
}

// "#RRGGBB", or "#TTRRGGBB" to give the colour's unused top byte too.
inline bool read_colour(const std::string &word, uint32_t *out) {
    if ((word.size() != 7 && word.size() != 9) || word[0] != '#') return false;
    for (size_t i = 1; i < word.size(); i++)
        if (!isxdigit(static_cast<unsigned char>(word[i]))) return false;
    unsigned long value = strtoul(word.c_str() + 1, nullptr, 16);
    uint32_t red = value >> 16 & 0xFF, green = value >> 8 & 0xFF, blue = value & 0xFF;
    *out = (static_cast<uint32_t>(value) & 0xFF000000u) | blue << 16 | green << 8 | red;
    return true;
}

// A style by its name (its index in `names`) or by the number the library is given.
inline bool read_style(const std::string &word, const std::vector<const char *> &names, int *out) {
    for (size_t i = 0; i < names.size(); i++)
        if (word == names[i]) {
            *out = static_cast<int>(i);
            return true;
        }
    return read_int(word, out);
}

const std::vector<const char *> k_pen_styles = {"solid", "dashed", "dash-dot", "dash-dot-dot",
                                                "invisible"};
const std::vector<const char *> k_fill_styles = {"solid",      "rising",     "falling",
                                                 "crosshatch", "horizontal", "vertical"};

// Each operation's name and its arguments, one letter each: p point, n number, a angle,
// c colour, s pen style, f fill style.
struct op_form {
    const char *name;
    scene_op op;
    const char *arguments;
};
const op_form k_forms[] = {
    {"ink", scene_op::ink, "c"},
    {"paper", scene_op::paper, "c"},
    {"fill-colour", scene_op::fill_colour, "c"},
    {"pen-width", scene_op::pen_width, "n"},
    {"pen-style", scene_op::pen_style, "s"},
    {"fill-style", scene_op::fill_style, "f"},
    {"move-to", scene_op::move_to, "p"},
    {"line-to", scene_op::line_to, "p"},
    {"plot", scene_op::plot, "p"},
    {"pixel", scene_op::pixel, "pc"},
    {"circle", scene_op::circle, "pn"},
    {"filled-circle", scene_op::filled_circle, "pn"},
    {"arc", scene_op::arc, "pnaa"},
    {"pie", scene_op::pie, "pnaa"},
    {"rectangle", scene_op::rectangle, "pp"},
    {"filled-rectangle", scene_op::filled_rectangle, "pp"},
    {"invert", scene_op::invert, "pp"},
    {"flood", scene_op::flood, "pc"},
    {"clear", scene_op::clear, ""},
};

inline bool read_argument(char kind, const std::string &word, int index, scene_step *step) {
    switch (kind) {
    case 'p':
        return read_point(word, index == 0 ? &step->a : &step->b);
    case 'n':
        return read_int(word, &step->number);
    case 'a':
        return read_angle(word, index == 2 ? &step->start : &step->sweep);
    case 'c':
        return read_colour(word, &step->colour);
    case 's':
        return read_style(word, k_pen_styles, &step->number);
    default:
        return read_style(word, k_fill_styles, &step->number);
    }
}

// The words of one line, without the comment that a lone "#" word starts.
inline words split(const std::string &line) {
    std::istringstream in(line);
    words all;
    for (std::string word; in >> word && word != "#";) all.push_back(word);
    return all;
}

inline std::string read_step(const words &w, scene_step *step) {
    for (const op_form &form : k_forms) {
        if (w[0] != form.name) continue;
        std::string wanted = form.arguments;
        if (w.size() != wanted.size() + 1)
            return w[0] + " takes " + std::to_string(wanted.size()) + " arguments";
        step->op = form.op;
        for (size_t i = 0; i < wanted.size(); i++)
            if (!read_argument(wanted[i], w[i + 1], static_cast<int>(i), step))
                return "bad argument " + w[i + 1] + " to " + w[0];
        return "";
    }
    return "unknown operation " + w[0];
}

inline std::string read_canvas(const words &w, scene_script *out) {
    size_t x = w.size() == 2 ? w[1].find('x') : std::string::npos;
    if (x == std::string::npos || !read_int(w[1].substr(0, x), &out->width) ||
        !read_int(w[1].substr(x + 1), &out->height) || out->width < 1 || out->height < 1)
        return "the first operation must be canvas WIDTHxHEIGHT";
    return "";
}

} // namespace scene_detail

// Reads a scene; returns an error message with its line number, or "" when it is well formed.
inline std::string parse_scene(std::istream &in, scene_script *out) {
    using namespace scene_detail;
    *out = scene_script();
    std::string text;
    for (int number = 1; std::getline(in, text); number++) {
        words w = split(text);
        if (w.empty() || w[0][0] == '#') continue;
        std::string error;
        if (out->width == 0) {
            error = read_canvas(w, out);
        } else {
            scene_step step;
            step.line = number;
            error = read_step(w, &step);
            out->steps.push_back(step);
        }
        if (!error.empty()) return "line " + std::to_string(number) + ": " + error;
    }
    return out->width ? "" : "no canvas: the scene is empty";
}

inline std::string read_scene_file(const std::string &path, scene_script *out) {
    std::ifstream in(path);
    if (!in) return "cannot read " + path;
    std::string error = parse_scene(in, out);
    return error.empty() ? "" : path + ": " + error;
}

#endif
