// The evaluator: runs a parsed tree on one record. Text results go into each node's own buffer
// and numbers carry their printing width, as the engine's items do; nothing is allocated per
// record once the buffers have grown.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include "ace32.h"
#include "files.h"
#include "tree.h"

namespace engine {
namespace {

constexpr size_t longestText = 1 << 20; // a longer result is refused, not built
constexpr int64_t firstDay = 1721060;     // the engine decodes no day before this one

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

Cell logical(bool b) {
    Cell c;
    c.b = b;
    return c;
}
Cell date(int64_t day) {
    Cell c;
    c.type = Type::Date;
    c.day = day;
    return c;
}
Cell text(const char* s, size_t n) {
    Cell c;
    c.type = Type::String;
    c.s = s;
    c.len = uint32_t(n);
    return c;
}

// Room for a text result of n bytes in the node's buffer.
char* room(const Node& e, size_t n) {
    if (n > longestText) refuse();
    if (e.buffer.size() < n) e.buffer.resize(std::max(n, e.buffer.size() * 2));
    return e.buffer.data();
}
Cell done(const Node& e, size_t n) { return text(e.buffer.data(), n); }

long whole(double n) {
    if (!(n > -2e9 && n < 2e9)) return n > 0 ? 2000000000L : -2000000000L;
    return long(n);
}

const char* const monthNames[] = {"January", "February", "March", "April", "May", "June", "July",
                                  "August", "September", "October", "November", "December"};
const char* const dayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// DOW(): 1 for Sunday, 0 for the empty date and the days before the first decoded one.
int dow(int64_t day) { return day >= firstDay ? int((day + 1) % 7) + 1 : 0; }

// CDOW() names the weekday of the decoded date instead: days before the first decoded one
// count as 0000-00-00, which the weekday formula makes a Wednesday.
int weekday(int64_t day) {
    if (!day) return 0;
    int y, m, d;
    civil(day, y, m, d);
    if (m < 3) m += 13, --y;
    else ++m;
    return (d + 26 * m / 10 + y + y / 4 - y / 100 + y / 400 + 6) % 7 + 1;
}

// YYYYMMDD as stored; 8 blanks for the empty date (and for days before it).
void dtosInto(char* out, int64_t day) {
    if (day <= 0) {
        std::memset(out, ' ', 8);
        return;
    }
    int y, m, d;
    civil(day, y, m, d);
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", y % 10000, m, d);
    std::memcpy(out, b, 8);
}

// The text that PADL/PADR/PADC pad: numbers as STR() prints them without the leading blanks,
// dates as DTOC() does.
size_t padText(const Cell& v, char* out) {
    if (v.type == Type::Number) {
        size_t n = formatNumber(out, v, printWidth(v), v.integer ? 0 : v.dec);
        size_t i = 0;
        while (i < n && out[i] == ' ') ++i;
        std::memmove(out, out + i, n - i);
        return n - i;
    }
    char s[8];
    dtosInto(s, v.day);
    if (s[0] == ' ') {
        std::memcpy(out, "  /  /  ", 8);
    } else {
        const char f[] = {s[4], s[5], '/', s[6], s[7], '/', s[2], s[3]};
        std::memcpy(out, f, 8);
    }
    return 8;
}

// Compares with exact matching off: a right side that is a prefix of the left side is equal.
int compareText(const Cell& a, const Cell& b, bool exact) {
    size_t n = std::min(a.len, b.len);
    int c = n ? std::memcmp(a.s, b.s, n) : 0;
    if (c) return c < 0 ? -1 : 1;
    if (a.len == b.len || (!exact && b.len < a.len)) return 0;
    return a.len < b.len ? -1 : 1;
}

template <class T>
int order(T a, T b) { return a < b ? -1 : a > b ? 1 : 0; }

int compare(const Cell& a, const Cell& b, bool exact) {
    switch (a.type) {
    case Type::String: return compareText(a, b, exact);
    case Type::Number: return compareNumbers(a, b);
    case Type::Date: return order(a.day, b.day);
    default: return order(a.b, b.b);
    }
}

int64_t stod(const char* s, size_t n) {
    if (n < 8) return 0;
    for (size_t i = 0; i < 8; ++i)
        if (s[i] < '0' || s[i] > '9') return 0;
    auto num = [&](size_t at, size_t k) {
        int r = 0;
        for (size_t i = at; i < at + k; ++i) r = r * 10 + (s[i] - '0');
        return r;
    };
    return julian(num(0, 4), num(4, 2), num(6, 2));
}

Cell field(const Field& f, const Record& r) {
    const char* p = reinterpret_cast<const char*>(r.bytes) + 1 + f.offset;
    switch (f.type) {
    case 'N':
    case 'F': return fieldNumber(p, f.length, int(f.decimals));
    case 'D': return date(stod(p, f.length));
    case 'L': return logical(f.length && (*p == 'T' || *p == 't' || *p == 'Y' || *p == 'y'));
    default: return text(p, f.length);
    }
}

// A memo field's text, read from the memo file into the node's buffer; empty at the end.
Cell memo(const Node& e, const Record& r) {
    if (r.atEnd) return text("", 0);
    if (!r.memo) throw Failure{ENGINE_MEMO_NOT_FOUND};
    return done(e, r.memo->text(reinterpret_cast<const char*>(r.bytes) + 1 + e.field->offset, e.field->length, e.buffer));
}

int64_t today() {
    std::time_t t = std::time(nullptr);
    std::tm* tm = std::localtime(&t);
    return tm ? julian(tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday) : 0;
}

Cell eval(const Node& e, const Record& r);

// A logical node's answer: the connectives and comparisons without building a Cell for their own
// result, since filters and locates ask for nothing else.
bool test(const Node& e, const Record& r) {
    auto compared = [&](bool exact) { return compare(eval(*e.args[0], r), eval(*e.args[1], r), exact); };
    switch (e.op) {
    case Op::Or: return test(*e.args[0], r) || test(*e.args[1], r);
    case Op::And: return test(*e.args[0], r) && test(*e.args[1], r);
    case Op::Not: return !test(*e.args[0], r);
    case Op::Iif: return test(*e.args[0], r) ? test(*e.args[1], r) : test(*e.args[2], r);
    case Op::Equal: return compared(false) == 0;
    case Op::Exact: return compared(true) == 0;
    case Op::NotEqual: return compared(false) != 0;
    case Op::Less: return compared(false) < 0;
    case Op::LessEqual: return compared(false) <= 0;
    case Op::Greater: return compared(false) == 1;
    case Op::GreaterEqual: {
        int c = compared(false);
        return c == 0 || c == 1;
    }
    case Op::Contains: {
        Cell a = eval(*e.args[0], r), b = eval(*e.args[1], r);
        return a.len && std::string_view(b.s, b.len).find(std::string_view(a.s, a.len)) != std::string_view::npos;
    }
    default: return eval(e, r).b;
    }
}

Cell pad(const Node& e, const Record& r) {
    Cell v = eval(*e.args[0], r);
    long width = whole(eval(*e.args[1], r).num);
    char fill = ' ';
    if (e.args.size() > 2) {
        Cell f = eval(*e.args[2], r);
        if (f.len) fill = f.s[0];
    }
    if (width <= 0) return text("", 0);
    char own[300];
    const char* s = v.s;
    size_t n = v.len;
    if (v.type != Type::String) n = padText(v, own), s = own;
    char* out = room(e, size_t(width));
    size_t w = size_t(width);
    if (n >= w) {
        std::memcpy(out, s, w);
        return done(e, w);
    }
    size_t before = e.op == Op::Padl ? w - n : e.op == Op::Padc ? (w - n) / 2 : 0;
    std::memset(out, fill, w);
    std::memcpy(out + before, s, n);
    return done(e, w);
}

Cell arithmetic(const Node& e, const Cell& a, const Cell& b) {
    bool plus = e.op == Op::Add;
    if (e.type == Type::String) {
        size_t keep = a.len;
        if (!plus)
            while (keep && a.s[keep - 1] == ' ') --keep;
        char* out = room(e, size_t(a.len) + b.len);
        std::memmove(out, a.s, keep);
        std::memcpy(out + keep, b.s, b.len);
        std::memset(out + keep + b.len, ' ', a.len - keep); // "-" moves the blanks to the end
        return done(e, size_t(a.len) + b.len);
    }
    if (e.type == Type::Number && a.type == Type::Date) {
        Cell days = computedInteger(a.day - b.day);
        days.wide = true; // the engine's long kind, which a product shows
        return days;
    }
    if (e.type == Type::Number) return add(a, b, !plus);
    const Cell& d = a.type == Type::Date ? a : b;
    double days = std::trunc(a.type == Type::Date ? b.num : a.num);
    if (!(days > -1e9 && days < 1e9)) refuse();
    return date(d.day + (plus ? 1 : -1) * int64_t(days));
}

Cell eval(const Node& e, const Record& r) {
    auto arg = [&](size_t i) { return eval(*e.args[i], r); };
    switch (e.op) {
    case Op::Literal: return e.type == Type::String ? text(e.text.data(), e.text.size()) : e.literal;
    case Op::Field: return field(*e.field, r);
    case Op::Memo: return memo(e, r);
    case Op::Deleted: return logical(!r.atEnd && r.bytes[0] == '*');
    case Op::Recno: return computedInteger(r.atEnd ? int64_t(r.records) + 1 : int64_t(r.recno));
    case Op::Reccount: return computedInteger(r.records);
    case Op::Eof: return logical(r.atEnd);
    case Op::Date: return date(today());
    case Op::Iif: return test(*e.args[0], r) ? arg(1) : arg(2);
    case Op::Or:
    case Op::And:
    case Op::Not:
    case Op::Equal:
    case Op::Exact:
    case Op::NotEqual:
    case Op::Less:
    case Op::LessEqual:
    case Op::Greater:
    case Op::GreaterEqual:
    case Op::Contains: return logical(test(e, r));
    case Op::Add:
    case Op::Subtract: {
        Cell a = arg(0), b = arg(1);
        return arithmetic(e, a, b);
    }
    case Op::Multiply:
    case Op::Divide:
    case Op::Modulus:
    case Op::Power: {
        Cell a = arg(0), b = arg(1);
        return e.op == Op::Multiply ? multiply(a, b) : e.op == Op::Divide ? divide(a, b)
             : e.op == Op::Modulus ? modulus(a, b) : power(a, b);
    }
    case Op::Negate: return negate(arg(0));
    case Op::Upper:
    case Op::Lower: {
        Cell a = arg(0);
        char* out = room(e, a.len);
        for (uint32_t i = 0; i < a.len; ++i) out[i] = e.op == Op::Upper ? upper(a.s[i]) : lower(a.s[i]);
        return done(e, a.len);
    }
    case Op::Trim:
    case Op::Ltrim:
    case Op::Alltrim: {
        Cell a = arg(0);
        if (e.op != Op::Ltrim)
            while (a.len && a.s[a.len - 1] == ' ') --a.len;
        if (e.op != Op::Trim)
            while (a.len && isSpace(a.s[0])) ++a.s, --a.len;
        return a;
    }
    case Op::Left:
    case Op::Right: {
        Cell a = arg(0);
        long n = whole(arg(1).num);
        uint32_t k = n <= 0 ? 0 : uint32_t(std::min<long>(n, long(a.len)));
        if (e.op == Op::Right) a.s += a.len - k;
        a.len = k;
        return a;
    }
    case Op::Substr: {
        Cell a = arg(0);
        long start = whole(arg(1).num), len = long(a.len);
        long from = start > 0 ? start - 1 : start < 0 ? std::max(0L, len + start) : 0;
        long count = e.args.size() > 2 ? whole(arg(2).num) : len - from;
        if (from >= len || count <= 0) return text("", 0);
        a.s += from;
        a.len = uint32_t(std::min(count, len - from));
        return a;
    }
    case Op::Space:
    case Op::Replicate: {
        Cell a = e.op == Op::Space ? text(" ", 1) : arg(0);
        long n = whole(arg(e.op == Op::Space ? 0 : 1).num);
        if (n <= 0 || !a.len) return text("", 0);
        size_t total = size_t(n) * a.len;
        if (total / a.len != size_t(n)) refuse();
        char* out = room(e, total);
        for (size_t i = 0; i < total; i += a.len) std::memcpy(out + i, a.s, a.len);
        return done(e, total);
    }
    case Op::Padl:
    case Op::Padr:
    case Op::Padc: return pad(e, r);
    case Op::Stuff: {
        Cell a = arg(0), ins = arg(3);
        long pos = whole(arg(1).num), del = whole(arg(2).num), len = long(a.len);
        if (pos) pos = pos < 1 || pos > len ? len : pos - 1;
        if (del) del = del < 1 || del > len - pos ? len - pos : del;
        size_t n = size_t(len - del) + ins.len;
        char* out = room(e, n);
        std::memcpy(out, a.s, size_t(pos));
        std::memcpy(out + pos, ins.s, ins.len);
        std::memcpy(out + pos + ins.len, a.s + pos + del, size_t(len - pos - del));
        return done(e, n);
    }
    case Op::Chr: {
        char* out = room(e, 1);
        out[0] = char(whole(arg(0).num) & 0xFF);
        return done(e, 1);
    }
    case Op::Str:
    case Op::Strzero: {
        Cell a = arg(0);
        int width = printWidth(a), dec = a.integer ? 0 : a.dec;
        if (e.args.size() > 1) {
            width = int(whole(arg(1).num));
            if (width < 1) width = 10;
            dec = e.args.size() > 2 ? int(whole(arg(2).num)) : 0;
        }
        char* out = room(e, 256);
        size_t n = formatNumber(out, a, std::min(width, 255), dec);
        if (e.op == Op::Strzero && out[0] != '*') {
            char* minus = std::find(out, out + n, '-');
            for (char* c = out; c < out + n && (*c == ' ' || *c == '-'); ++c) *c = '0';
            if (minus != out + n) out[0] = '-';
        }
        return done(e, n);
    }
    case Op::Dtos: {
        char* out = room(e, 8);
        dtosInto(out, arg(0).day);
        return done(e, 8);
    }
    case Op::Dtoc: {
        Cell a = arg(0);
        return done(e, padText(a, room(e, 8)));
    }
    case Op::Cdow:
    case Op::Cmonth: {
        int64_t day = arg(0).day;
        int y = 0, m = 0, d = 0;
        civil(day, y, m, d);
        int k = e.op == Op::Cdow ? weekday(day) : m;
        const char* name = k < 1 ? "" : e.op == Op::Cdow ? dayNames[k - 1] : monthNames[k - 1];
        return text(name, std::strlen(name));
    }
    case Op::Len: return computedInteger(arg(0).len);
    case Op::At:
    case Op::Rat: {
        Cell a = arg(0), b = arg(1);
        std::string_view hay(b.s, b.len), needle(a.s, a.len);
        size_t at = !a.len ? std::string_view::npos : e.op == Op::At ? hay.find(needle) : hay.rfind(needle);
        return computedInteger(at == std::string_view::npos ? 0 : int64_t(at + 1));
    }
    case Op::Asc: {
        Cell a = arg(0);
        return computedInteger(a.len ? uint8_t(a.s[0]) : 0);
    }
    case Op::Val: {
        Cell a = arg(0);
        return val(a.s, a.len);
    }
    case Op::Abs: return absolute(arg(0));
    case Op::Int: return integerPart(arg(0));
    case Op::Round: {
        Cell a = arg(0);
        return rounded(a, int(std::clamp(whole(arg(1).num), -20L, 20L)));
    }
    case Op::Min:
    case Op::Max: {
        Cell a = arg(0), b = arg(1);
        int c = compare(a, b, true); // a tie gives the first, with its own places
        return c == 0 || c == (e.op == Op::Min ? -1 : 1) ? a : b;
    }
    case Op::Mod: {
        Cell a = arg(0), b = arg(1);
        return modulo(a, b);
    }
    case Op::Year:
    case Op::Month:
    case Op::Day:
    case Op::Dow: {
        int64_t day = arg(0).day;
        int y = 0, m = 0, d = 0;
        civil(day, y, m, d);
        if (e.op == Op::Dow) return integerCell(dow(day), 3);
        return integerCell(e.op == Op::Year ? y : e.op == Op::Month ? m : d, e.op == Op::Year ? 5 : 3);
    }
    case Op::Ctod: {
        Cell a = arg(0);
        return date(ctod(a.s, a.len));
    }
    case Op::Stod: {
        Cell a = arg(0);
        return date(stod(a.s, a.len));
    }
    case Op::Empty: {
        Cell a = arg(0);
        switch (a.type) {
        case Type::String:
            for (uint32_t i = 0; i < a.len; ++i)
                if (!isSpace(a.s[i])) return logical(false);
            return logical(true);
        case Type::Number: return logical(a.num == 0);
        case Type::Date: return logical(a.day == 0);
        default: return logical(!a.b);
        }
    }
    case Op::IsAlpha:
    case Op::IsDigit:
    case Op::IsUpper:
    case Op::IsLower: {
        Cell a = arg(0);
        char c = a.len ? a.s[0] : 0;
        bool up = c >= 'A' && c <= 'Z', low = c >= 'a' && c <= 'z';
        return logical(e.op == Op::IsAlpha ? up || low : e.op == Op::IsDigit ? c >= '0' && c <= '9' : e.op == Op::IsUpper ? up : low);
    }
    }
    return Cell{};
}

} // namespace

int64_t julian(int y, int m, int d) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 0 || y > 9999 || m < 1 || m > 12 || d < 1) return 0;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > lengths[m - 1] + (m == 2 && leap)) return 0;
    int f = m < 3 ? -1 : 0;
    return int64_t(d - 32075) + 1461 * int64_t(y + 4800 + f) / 4 + 367 * int64_t(m - 2 - f * 12) / 12 -
           3 * (int64_t(y + 4900 + f) / 100) / 4;
}

void civil(int64_t day, int& y, int& m, int& d) {
    if (day < firstDay) {
        y = m = d = 0;
        return;
    }
    int64_t j = day + 68569;
    int64_t w = j * 4 / 146097;
    j -= (146097 * w + 3) / 4;
    int64_t x = 4000 * (j + 1) / 1461001;
    j -= 1461 * x / 4 - 31;
    int64_t v = 80 * j / 2447, u = v / 11;
    y = int(x + u + (w - 49) * 100);
    m = int(v + 2 - u * 12);
    d = int(j - 2447 * v / 80);
}

// Month, day and year in that order, numbers apart by anything but blanks; a two-digit year is
// in the 1900s.
int64_t ctod(const char* s, size_t n) {
    int part[3] = {0, 0, 0}, digits[3] = {0, 0, 0}, at = 0;
    bool apart = false;
    for (size_t i = 0; i < n; ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            apart = false;
            if (at < 3 && ++digits[at] <= 6) part[at] = part[at] * 10 + (c - '0');
        } else if (c != ' ' && !apart) {
            apart = true;
            ++at;
        }
    }
    if (!digits[0] && !digits[1] && !digits[2]) return 0;
    int y = part[2];
    if (digits[2] <= 2) y += 1900;
    return julian(y, part[0], part[1]);
}

std::string dtos(int64_t day) {
    std::string s(8, ' ');
    dtosInto(s.data(), day);
    return s;
}

std::string str(double n, int width, int decimals) {
    char b[256];
    return std::string(b, formatReal(b, n, std::clamp(width, 1, 255), decimals));
}

Value evaluate(const Node& e, const Record& r) {
    Value v;
    static_cast<Cell&>(v) = eval(e, r);
    if (v.type == Type::String) v.text.assign(v.s, v.len);
    v.s = nullptr, v.len = 0;
    return v;
}

bool holds(const Node& e, const Record& r) { return test(e, r); }

std::string valueText(const Value& v) {
    switch (v.type) {
    case Type::String: return v.text;
    case Type::Number: {
        std::string s = str(v.num, 60, v.dec);
        return s.substr(s.find_first_not_of(' '));
    }
    case Type::Date: return dtos(v.day);
    default: return v.b ? "T" : "F";
    }
}

} // namespace engine
