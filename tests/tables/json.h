// Just enough JSON to read the fixtures' answers (expected.json): objects, arrays, strings,
// numbers, true, false and null. Malformed text stops the test.
#pragma once
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace test {

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](const std::string& key) const {
        for (auto& [k, v] : members) if (k == key) return v;
        ADD_FAILURE() << "no member " << key;
        static const Json none;
        return none;
    }

    static Json parse(const std::string& s) {
        size_t p = 0;
        return value(s, p);
    }

private:
    static void space(const std::string& s, size_t& p) {
        while (p < s.size() && strchr(" \t\r\n", s[p])) ++p;
    }
    static Json value(const std::string& s, size_t& p) {
        space(s, p);
        Json j;
        if (p >= s.size()) throw std::runtime_error("JSON ends early");
        char c = s[p];
        if (c == '{' || c == '[') {
            j.kind = c == '{' ? Object : Array;
            for (space(s, ++p); s.at(p) != (c == '{' ? '}' : ']'); space(s, p)) {
                Json item = value(s, p); // in an object, the key
                space(s, p);
                if (c == '{') j.members.emplace_back(item.text, value(s, ++p)); // its value after the ':'
                else j.items.push_back(std::move(item));
                space(s, p);
                if (s.at(p) == ',') ++p;
            }
            ++p;
        } else if (c == '"') {
            j.kind = String;
            for (++p; s.at(p) != '"'; ++p) {
                const char e = s[p] == '\\' ? s.at(++p) : 0; // the letter after a backslash
                if (e == 'u') { // only ASCII escapes are needed here
                    j.text += char(std::strtol(s.substr(p + 1, 4).c_str(), nullptr, 16));
                    p += 4;
                } else {
                    j.text += e == 'n' ? '\n' : e == 't' ? '\t' : e ? e : s[p];
                }
            }
            ++p;
        } else if (s.compare(p, 4, "true") == 0 || s.compare(p, 5, "false") == 0) {
            j.kind = Bool;
            j.boolean = c == 't';
            p += j.boolean ? 4 : 5;
        } else if (s.compare(p, 4, "null") == 0) {
            p += 4;
        } else {
            char* end = nullptr;
            j.kind = Number;
            j.number = std::strtod(s.c_str() + p, &end);
            if (end == s.c_str() + p) throw std::runtime_error("bad JSON");
            p = size_t(end - s.c_str());
        }
        return j;
    }
};

} // namespace test
