// The number model of the expression language, in one place. A number is either an exact
// 64-bit integer or a double; either way it carries the places of its whole part and its
// decimals, which STR() with one argument prints. Each operation sets them by its own rule, and
// the parser folds operations on literals by slightly different ones (a folded integer gets one
// place more than its digits once it has ten), as the xBase runtimes do.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <cmath>
#include <cstdio>
#include <cstring>
#include "tree.h"

namespace engine {
namespace {

// A number's k characters right-aligned in width places, or width stars when they do not fit.
size_t justified(char* out, const char* b, size_t k, int width) {
    if (k <= size_t(width)) {
        std::memset(out, ' ', size_t(width) - k);
        std::memcpy(out + width - k, b, k);
    } else {
        std::memset(out, '*', size_t(width));
    }
    return size_t(width);
}

// A folded or literal integer's places: its digits and one more once it has ten; 20 for a
// negative one of ten digits.
int literalPlaces(int64_t n) {
    if (n <= -1000000000) return 20;
    int w = 10;
    for (; n >= 1000000000; n /= 10) ++w;
    return w;
}

bool fitsInt64(double d) { return d >= -9223372036854775808.0 && d < 9223372036854775808.0; }

// The result of an operation that mixes kinds: a double when either side was one or decimals
// remain, otherwise an integer while it fits (one of 32 bits gets 20 places from ten digits).
Cell mixed(double d, int dec, bool real) {
    d = held(d);
    if (dec || real) return computedReal(d, dec);
    if (d >= INT32_MIN && d <= INT32_MAX) return integerCell(int64_t(d), d > 999999999 || d < -999999999 ? 20 : 10);
    if (fitsInt64(d)) return computedInteger(int64_t(d));
    return computedReal(d, defaultDecimals);
}

// A folded quotient, remainder or power keeps the default decimals through further folding.
Cell defaulted(Cell c) {
    if (c.integer) c = computedReal(c.num, defaultDecimals);
    c.dec = defaultDecimals;
    c.defaultDec = true;
    return c;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

Cell literalNumber(std::string_view text) {
    std::string s(text);
    size_t point = text.find('.');
    if (point == std::string_view::npos) {
        errno = 0;
        long long n = std::strtoll(s.c_str(), nullptr, 10);
        if (errno != ERANGE) return integerCell(n, literalPlaces(n));
        size_t digits = s.size() - std::min(s.find_first_not_of('0'), s.size());
        return realCell(std::strtod(s.c_str(), nullptr), 0, int(digits) + 1);
    }
    return realCell(std::strtod(s.c_str(), nullptr), int(text.size() - point - 1), std::max(10, int(point)));
}

Cell fieldNumber(const char* p, size_t n, int dec) {
    size_t i = 0;
    while (i < n && p[i] == ' ') ++i;
    bool negative = i < n && p[i] == '-';
    if (i < n && (p[i] == '-' || p[i] == '+')) ++i;
    uint64_t m = 0;
    int digits = 0, after = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (p[i] >= '0' && p[i] <= '9') {
            if (++digits > 18) return realCell(std::strtod(std::string(p, n).c_str(), nullptr), dec, int(n));
            m = m * 10 + uint64_t(p[i] - '0');
            after += point;
        } else if (p[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    int places = dec ? std::max(1, int(n) - dec - 1) : int(n);
    if (!dec && !after) return integerCell(negative ? -int64_t(m) : int64_t(m), places);
    static const double scale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    double v = held(double(m) / scale[after]);
    return realCell(negative ? -v : v, dec, places);
}

// VAL(): the places follow the text: all of it for an integer, what stands before the point
// for a decimal number (one more when no digit does), and the default once that passes ten.
Cell val(const char* s, size_t n) {
    size_t i = 0;
    while (i < n && isSpace(s[i])) ++i;
    char b[64];
    size_t k = 0;
    if (i < n && (s[i] == '-' || s[i] == '+')) b[k++] = s[i++];
    size_t point = n;
    bool digitBefore = false;
    for (; i < n && k < sizeof b - 1; ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            b[k++] = s[i];
            digitBefore |= point == n;
        } else if (s[i] == '.' && point == n) {
            b[k++] = '.';
            point = i;
        } else {
            break;
        }
    }
    b[k] = 0;
    double d = std::strtod(b, nullptr);
    int dec = point < n ? int(n - point - 1) : 0;
    if (dec) {
        int places = int(point) + !digitBefore;
        return realCell(d, std::min(dec, 255), places > 10 ? placesFor(d) : places);
    }
    int places = n == 0 || n > 10 ? placesFor(d) : int(n);
    if (!fitsInt64(d)) return realCell(d, 0, places);
    return integerCell(int64_t(d), places);
}

Cell add(const Cell& a, const Cell& b, bool subtract) {
    if (a.integer && b.integer) {
        int64_t r;
        if (!(subtract ? __builtin_sub_overflow(a.whole, b.whole, &r) : __builtin_add_overflow(a.whole, b.whole, &r)))
            return computedInteger(r);
        return computedReal(subtract ? a.num - b.num : a.num + b.num, 0);
    }
    return mixed(subtract ? a.num - b.num : a.num + b.num, std::max(a.dec, b.dec), true);
}

Cell multiply(const Cell& a, const Cell& b) {
    if (a.integer && b.integer && !a.wide && !b.wide) return computedInteger(a.whole * b.whole);
    return mixed(a.num * b.num, a.dec + b.dec, !a.integer || !b.integer);
}

// A zero divisor gives an integer 0, as the engine's default error handler substitutes it.
Cell divide(const Cell& a, const Cell& b) {
    if (b.num == 0) return computedInteger(0);
    return computedReal(a.num / b.num, defaultDecimals);
}

// Integers leave an exact remainder; either way it is a double with the default decimals.
Cell modulus(const Cell& a, const Cell& b) {
    if (b.num == 0) return computedInteger(0);
    if (a.integer && b.integer) return computedReal(b.whole == -1 ? 0.0 : double(a.whole % b.whole), defaultDecimals);
    return computedReal(std::fmod(a.num, b.num), defaultDecimals);
}

// On Windows worked out in the longer long double and rounded once: that C runtime's pow() can be
// a unit off in the last place (123.9239**10 in the 64-bit one), which a remainder of a large
// power shows; elsewhere pow() is correctly rounded.
Cell power(const Cell& a, const Cell& b) {
#ifdef _WIN32
    return computedReal(double(std::pow(static_cast<long double>(a.num), static_cast<long double>(b.num))), defaultDecimals);
#else
    return computedReal(std::pow(a.num, b.num), defaultDecimals);
#endif
}

// A negated integer keeps the long kind of a date difference.
Cell negate(const Cell& a) {
    if (a.integer && a.whole != INT64_MIN) {
        Cell c = computedInteger(-a.whole);
        c.wide |= a.wide;
        return c;
    }
    return computedReal(-a.num, a.dec);
}

static bool foldArithmetic(Op op, const Cell& a, const Cell& b, Cell& out);

bool fold(Op op, const Cell& a, const Cell& b, Cell& out) {
    if (!foldArithmetic(op, a, b, out)) return false;
    bool inherits = op == Op::Negate ? a.defaultDec : (a.defaultDec || b.defaultDec) && op != Op::Int;
    if (inherits || (!out.integer && (op == Op::Divide || op == Op::Modulus || op == Op::Power))) out = defaulted(out);
    return true;
}

static bool foldArithmetic(Op op, const Cell& a, const Cell& b, Cell& out) {
    bool ints = a.integer && b.integer;
    int64_t r = 0;
    switch (op) {
    case Op::Add:
    case Op::Subtract:
        if (ints && !(op == Op::Add ? __builtin_add_overflow(a.whole, b.whole, &r) : __builtin_sub_overflow(a.whole, b.whole, &r)))
            out = integerCell(r, literalPlaces(r));
        else
            out = computedReal(op == Op::Add ? a.num + b.num : a.num - b.num, std::max(a.dec, b.dec));
        return true;
    case Op::Multiply:
        if (ints && !__builtin_mul_overflow(a.whole, b.whole, &r)) out = integerCell(r, literalPlaces(r));
        else out = computedReal(a.num * b.num, a.dec + b.dec);
        return true;
    case Op::Divide:
    case Op::Modulus:
        if (b.num == 0) return false; // left to run time, where the error handler answers
        if (ints && !(a.whole == INT64_MIN && b.whole == -1) && (op == Op::Modulus || a.whole % b.whole == 0)) {
            r = op == Op::Divide ? a.whole / b.whole : a.whole % b.whole;
            out = integerCell(r, literalPlaces(r));
        } else {
            out = computedReal(op == Op::Divide ? a.num / b.num : std::fmod(a.num, b.num), defaultDecimals);
        }
        return true;
    case Op::Negate:
        if (a.integer && a.whole != INT64_MIN) out = integerCell(-a.whole, literalPlaces(-a.whole));
        else out = computedReal(-a.num, a.dec);
        return true;
    case Op::Power: out = power(a, b); return true;
    case Op::Int:
        out = integerPart(a);
        if (out.integer) out.width = literalPlaces(out.whole);
        return true;
    default: return false;
    }
}

Cell absolute(const Cell& a) {
    if (a.integer) {
        if (a.whole >= 0) return integerCell(a.whole, a.width);
        if (a.whole != INT64_MIN) return integerCell(-a.whole, std::max(a.width, 10));
    }
    return computedReal(std::fabs(a.num), a.dec);
}

Cell integerPart(const Cell& a) {
    if (a.integer) return a;
    double t = std::trunc(a.num);
    if (fitsInt64(t)) return integerCell(int64_t(t), a.width);
    return realCell(t, 0, a.width);
}

// Rounds half away from zero at `dec` places (left of the point when negative), the way the
// engine does it: scaled one place further, 5 added, cut.
// Each step is held to a double (in the 32-bit build 2.675 would otherwise round down).
double roundTo(double n, int dec) {
    if (n == 0 || !std::isfinite(n)) return n;
    double pow = std::pow(10.0, std::abs(dec));
    double scaled = held(held(held(dec < 0 ? n / pow : n * pow) * 10) + (n < 0 ? -5 : 5)) / 10;
    double cut = std::trunc(held(scaled));
    return held(dec < 0 ? cut * pow : cut / pow);
}

// To no decimals the result is an integer while it fits.
Cell rounded(const Cell& a, int dec) {
    double r = held(roundTo(a.num, dec));
    if (dec <= 0 && fitsInt64(r)) return computedInteger(int64_t(r));
    return computedReal(r, std::max(dec, 0));
}

// MOD(): the remainder takes the divisor's sign; a zero divisor gives the dividend back.
Cell modulo(const Cell& a, const Cell& b) {
    if (b.num == 0) return a;
    double m = std::fmod(a.num, b.num);
    if (m != 0 && (a.num > 0 ? b.num < 0 : b.num > 0)) m += b.num;
    return computedReal(m, defaultDecimals);
}

// A double as the engine prints it: rounded at `dec` places, then at most 16 significant digits,
// zeros after them.
size_t formatReal(char* out, double n, int width, int dec) {
    width = std::clamp(width, 1, 255);
    dec = std::clamp(dec, 0, 255);
    char b[600];
    size_t k = 0;
    double r = dec > 15 ? n : roundTo(n, dec);
    if (std::isfinite(r)) {
        // The digits up to the last decimal shown, at most 16 of them, rounded there.
        char e[40];
        std::snprintf(e, sizeof e, "%.15e", std::fabs(r));
        int exp = std::atoi(e + 18), keep = std::min(16, exp + 1 + dec);
        if (keep >= 1) std::snprintf(e, sizeof e, "%.*e", keep - 1, std::fabs(r));
        else r = 0;
        char digits[16];
        digits[0] = e[0];
        if (keep > 1) std::memcpy(digits + 1, e + 2, size_t(keep - 1));
        exp = keep >= 1 ? std::atoi(std::strchr(e, 'e') + 1) : 0;
        auto digit = [&](int at) { return at >= 0 && at < keep && r != 0 ? digits[at] : '0'; };
        char body[600];
        size_t m = 0;
        if (exp < 0 || r == 0) body[m++] = '0';
        else if (exp < 400)
            for (int i = 0; i <= exp; ++i) body[m++] = digit(i);
        if (dec) {
            body[m++] = '.';
            for (int i = 1; i <= dec; ++i) body[m++] = digit(exp + i);
        }
        bool nonzero = std::any_of(body, body + m, [](char c) { return c >= '1' && c <= '9'; });
        if (r < 0 && nonzero) b[k++] = '-';
        std::memcpy(b + k, body, m);
        k += m;
    } else {
        k = size_t(width) + 1;
    }
    return justified(out, b, k, width);
}

size_t formatNumber(char* out, const Cell& c, int width, int dec) {
    if (!c.integer) return formatReal(out, c.num, width, dec);
    width = std::clamp(width, 1, 255);
    char b[300];
    int k = std::snprintf(b, sizeof b, "%lld", static_cast<long long>(c.whole));
    if (dec > 0) {
        dec = std::min(dec, 255);
        b[k++] = '.';
        std::memset(b + k, '0', size_t(dec));
        k += dec;
    }
    return justified(out, b, size_t(k), width);
}

int printWidth(const Cell& c) { return c.integer || !c.dec ? c.width : c.width + c.dec + 1; }

} // namespace engine
