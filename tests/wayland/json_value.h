// Just enough JSON for sway's answers (swaymsg -r): objects, arrays, strings (escapes and
// \u sequences to UTF-8), numbers, true, false and null.
#ifndef ZELVAN_TESTS_JSON_VALUE_H
#define ZELVAN_TESTS_JSON_VALUE_H

#include <string>
#include <utility>
#include <vector>

struct json_value {
    enum kind_t { null, boolean, number, string, array, object } kind = null;
    bool truth = false;
    double value = 0;
    std::string text;
    std::vector<json_value> items;                           // an array's
    std::vector<std::pair<std::string, json_value>> members; // an object's, in order

    // The member named `name` of an object; a null value when there is none.
    const json_value &operator[](const std::string &name) const;
    int as_int() const { return int(value); }
};

// The value `text` holds; `ok` false (and a null value) when it is no JSON.
json_value json_parse(const std::string &text, bool *ok = nullptr);

#endif
