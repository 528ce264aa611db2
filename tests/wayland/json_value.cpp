// A recursive reader of JSON text.
#include "json_value.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct reader {
    const std::string &text;
    size_t at = 0;
    bool failed = false;

    void skip_space() {
        while (at < text.size() && strchr(" \t\r\n", text[at]) != nullptr) ++at;
    }
    bool take(char c) {
        skip_space();
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    bool take_word(const char *word) {
        size_t length = strlen(word);
        if (text.compare(at, length, word) != 0) return false;
        at += length;
        return true;
    }
    json_value fail() {
        failed = true;
        return json_value{};
    }

    static void append_utf8(std::string &out, unsigned code) {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | code >> 6);
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | code >> 12);
            out += char(0x80 | (code >> 6 & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | code >> 18);
            out += char(0x80 | (code >> 12 & 0x3F));
            out += char(0x80 | (code >> 6 & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    unsigned hex4() {
        if (at + 4 > text.size()) {
            failed = true;
            return 0;
        }
        unsigned code = unsigned(strtoul(text.substr(at, 4).c_str(), nullptr, 16));
        at += 4;
        return code;
    }

    std::string string_body() {
        std::string out;
        while (at < text.size() && text[at] != '"') {
            char c = text[at++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= text.size()) break;
            char e = text[at++];
            const char *from = "\"\\/bfnrt", *to = "\"\\/\b\f\n\r\t";
            if (const char *p = strchr(from, e); p != nullptr && e != '\0') {
                out += to[p - from];
            } else if (e == 'u') {
                unsigned code = hex4();
                // A high surrogate and its low one make one code point.
                if (code >= 0xD800 && code < 0xDC00 && take_word("\\u")) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (hex4() - 0xDC00);
                }
                append_utf8(out, code);
            } else {
                failed = true;
            }
        }
        if (!take('"')) failed = true;
        return out;
    }

    json_value value() {
        skip_space();
        if (at >= text.size()) return fail();
        json_value v;
        char c = text[at];
        if (c == '{') {
            ++at;
            v.kind = json_value::object;
            if (take('}')) return v;
            do {
                if (!take('"')) return fail();
                std::string name = string_body();
                if (!take(':')) return fail();
                v.members.emplace_back(name, value());
            } while (!failed && take(','));
            if (!take('}')) return fail();
        } else if (c == '[') {
            ++at;
            v.kind = json_value::array;
            if (take(']')) return v;
            do {
                v.items.push_back(value());
            } while (!failed && take(','));
            if (!take(']')) return fail();
        } else if (c == '"') {
            ++at;
            v.kind = json_value::string;
            v.text = string_body();
        } else if (take_word("true")) {
            v.kind = json_value::boolean;
            v.truth = true;
        } else if (take_word("false")) {
            v.kind = json_value::boolean;
        } else if (take_word("null")) {
            v.kind = json_value::null;
        } else {
            char *end = nullptr;
            v.kind = json_value::number;
            v.value = strtod(text.c_str() + at, &end);
            if (end == text.c_str() + at) return fail();
            at = size_t(end - text.c_str());
        }
        return v;
    }
};

} // namespace

const json_value &json_value::operator[](const std::string &name) const {
    static const json_value none;
    for (const auto &member : members) {
        if (member.first == name) return member.second;
    }
    return none;
}

json_value json_parse(const std::string &text, bool *ok) {
    reader r{text};
    json_value v = r.value();
    r.skip_space();
    bool good = !r.failed && r.at == text.size();
    if (ok != nullptr) *ok = good;
    return good ? v : json_value{};
}
