#include "runtime/leadingnumber.h"
#include "runtime/errors.h"
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace zor {

namespace {

bool skippable(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }

// The characters of text after position i, without the skippable ones.
class Cursor {
public:
    explicit Cursor(std::wstring_view t) : t_(t) { skip(); }
    wchar_t peek() const { return i_ < t_.size() ? t_[i_] : L'\0'; }
    void next() {
        ++i_;
        skip();
    }

private:
    void skip() {
        while (i_ < t_.size() && skippable(t_[i_])) ++i_;
    }
    std::wstring_view t_;
    size_t i_ = 0;
};

int digitValue(wchar_t c, int radix) {
    int v = -1;
    if (c >= L'0' && c <= L'9') v = c - L'0';
    else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
    return v < radix ? v : -1;
}

// "&H" and "&O" numbers are 16-bit when they fit in 16 bits, else 32-bit, and are read as two's
// complement (so "&HFFFF" is -1 and "&HFFFFFFFF" is -1 too).
double radixNumber(Cursor& c, int radix) {
    unsigned long long v = 0;
    for (int d; (d = digitValue(c.peek(), radix)) >= 0; c.next()) {
        v = v * radix + d;
        if (v > 0xFFFFFFFFull) throw Error(errOverflow);
    }
    if (v <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(v));
    return static_cast<int32_t>(static_cast<uint32_t>(v)); // not long: 64 bits wide on some platforms
}

} // namespace

double leadingNumber(std::wstring_view text) {
    Cursor c(text);
    if (c.peek() == L'&') {
        c.next();
        wchar_t kind = c.peek();
        if (kind == L'H' || kind == L'h') {
            c.next();
            return radixNumber(c, 16);
        }
        if (kind == L'O' || kind == L'o') {
            c.next();
            return radixNumber(c, 8);
        }
        return 0;
    }
    // Collect the number's characters, then convert them in the C locale ("." decimal point).
    std::string n;
    if (c.peek() == L'+' || c.peek() == L'-') {
        n += static_cast<char>(c.peek());
        c.next();
    }
    bool digits = false, point = false;
    for (;; c.next()) {
        wchar_t ch = c.peek();
        if (ch >= L'0' && ch <= L'9') {
            n += static_cast<char>(ch);
            digits = true;
        } else if (ch == L'.' && !point) {
            n += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0;
    wchar_t e = c.peek();
    if (e == L'E' || e == L'e' || e == L'D' || e == L'd') {
        std::string exponent = "e";
        c.next();
        if (c.peek() == L'+' || c.peek() == L'-') {
            exponent += static_cast<char>(c.peek());
            c.next();
        }
        bool expDigits = false;
        for (; c.peek() >= L'0' && c.peek() <= L'9'; c.next()) {
            exponent += static_cast<char>(c.peek());
            expDigits = true;
        }
        if (expDigits) n += exponent;
    }
    double v = std::strtod(n.c_str(), nullptr);
    if (v == HUGE_VAL || v == -HUGE_VAL) throw Error(errOverflow);
    return v;
}

} // namespace zor
