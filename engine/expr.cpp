#include "expr.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "ace32.h"

namespace engine {

enum class Op {
    Literal, Field, Deleted, Recno, Eof,
    Or, And, Not, Equal, Exact, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains,
    Add, Subtract, Multiply, Divide, Negate,
    Upper, Lower, Trim, Ltrim, Alltrim, Left, Right, Substr, Str, Val, Dtos, Ctod, Year, Month, Day, Empty,
};

struct Node {
    Op op;
    Type type;
    Value literal;
    const Field* field = nullptr;
    std::vector<Expression> args;
    int height = 1;
};

void NodeDeleter::operator()(Node* n) const { delete n; }
Type typeOf(const Node& e) { return e.type; }

namespace {

[[noreturn]] void bad() { throw Failure{ENGINE_EXPRESSION}; }

Expression node(Op op, Type type) { return Expression(new Node{op, type, {}, nullptr, {}}); }

// Evaluation recurses as deep as the tree: a long chain such as 1+1+...+1 is refused here.
void adopt(Expression& parent, Expression child) {
    parent->height = std::max(parent->height, child->height + 1);
    if (parent->height > 100) bad();
    parent->args.push_back(std::move(child));
}

bool isUpperAscii(char c) { return c >= 'A' && c <= 'Z'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
char lower(char c) { return isUpperAscii(c) ? char(c + 32) : c; }

std::string upperText(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = upper(c);
    return r;
}

struct Function {
    const char* name;
    Op op;
    Type result;
    int minArgs, maxArgs;
    Type args[3]; // for EMPTY the argument may be of any type
};

const Function functions[] = {
    {"UPPER", Op::Upper, Type::String, 1, 1, {Type::String}},
    {"LOWER", Op::Lower, Type::String, 1, 1, {Type::String}},
    {"TRIM", Op::Trim, Type::String, 1, 1, {Type::String}},
    {"RTRIM", Op::Trim, Type::String, 1, 1, {Type::String}},
    {"LTRIM", Op::Ltrim, Type::String, 1, 1, {Type::String}},
    {"ALLTRIM", Op::Alltrim, Type::String, 1, 1, {Type::String}},
    {"LEFT", Op::Left, Type::String, 2, 2, {Type::String, Type::Number}},
    {"RIGHT", Op::Right, Type::String, 2, 2, {Type::String, Type::Number}},
    {"SUBSTR", Op::Substr, Type::String, 2, 3, {Type::String, Type::Number, Type::Number}},
    {"STR", Op::Str, Type::String, 1, 3, {Type::Number, Type::Number, Type::Number}},
    {"VAL", Op::Val, Type::Number, 1, 1, {Type::String}},
    {"DTOS", Op::Dtos, Type::String, 1, 1, {Type::Date}},
    {"CTOD", Op::Ctod, Type::Date, 1, 1, {Type::String}},
    {"YEAR", Op::Year, Type::Number, 1, 1, {Type::Date}},
    {"MONTH", Op::Month, Type::Number, 1, 1, {Type::Date}},
    {"DAY", Op::Day, Type::Number, 1, 1, {Type::Date}},
    {"EMPTY", Op::Empty, Type::Logical, 1, 1, {}},
    {"DELETED", Op::Deleted, Type::Logical, 0, 0, {}},
    {"RECNO", Op::Recno, Type::Number, 0, 0, {}},
    {"EOF", Op::Eof, Type::Logical, 0, 0, {}},
};

class Parser {
public:
    Parser(std::string_view text, const std::vector<Field>& fields) : s_(text), fields_(fields) {}

    Expression all() {
        Expression e = orExpr();
        skipSpace();
        if (p_ != s_.size()) bad();
        return e;
    }

private:
    std::string_view s_;
    const std::vector<Field>& fields_;
    size_t p_ = 0;
    int depth_ = 0;

    void skipSpace() {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\r' || s_[p_] == '\n')) ++p_;
    }
    // Takes a punctuation or dotted word (".AND.") when it comes next, case-insensitively.
    bool take(std::string_view word) {
        skipSpace();
        if (s_.size() - p_ < word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i)
            if (upper(s_[p_ + i]) != word[i]) return false;
        p_ += word.size();
        return true;
    }
    bool peek(char c) {
        skipSpace();
        return p_ < s_.size() && s_[p_] == c;
    }

    static Expression binary(Op op, Type type, Expression a, Expression b) {
        Expression e = node(op, type);
        adopt(e, std::move(a));
        adopt(e, std::move(b));
        return e;
    }

    Expression orExpr() {
        Expression e = andExpr();
        while (take(".OR.")) {
            Expression r = andExpr();
            if (e->type != Type::Logical || r->type != Type::Logical) bad();
            e = binary(Op::Or, Type::Logical, std::move(e), std::move(r));
        }
        return e;
    }
    Expression andExpr() {
        Expression e = notExpr();
        while (take(".AND.")) {
            Expression r = notExpr();
            if (e->type != Type::Logical || r->type != Type::Logical) bad();
            e = binary(Op::And, Type::Logical, std::move(e), std::move(r));
        }
        return e;
    }
    Expression notExpr() {
        if (take(".NOT.") || (peek('!') && !(p_ + 1 < s_.size() && s_[p_ + 1] == '=') && take("!"))) {
            if (++depth_ > 200) bad();
            Expression a = notExpr();
            --depth_;
            if (a->type != Type::Logical) bad();
            Expression e = node(Op::Not, Type::Logical);
            adopt(e, std::move(a));
            return e;
        }
        return relation();
    }
    Expression relation() {
        Expression e = additive();
        static const std::pair<const char*, Op> ops[] = {
            {"==", Op::Exact}, {"!=", Op::NotEqual}, {"<>", Op::NotEqual}, {"<=", Op::LessEqual},
            {">=", Op::GreaterEqual}, {"=", Op::Equal}, {"#", Op::NotEqual}, {"<", Op::Less},
            {">", Op::Greater}, {"$", Op::Contains}};
        for (auto& [word, op] : ops) {
            if (!take(word)) continue;
            Expression r = additive();
            if (e->type != r->type) bad();
            if (op == Op::Contains && e->type != Type::String) bad();
            if (e->type == Type::Logical && op != Op::Equal && op != Op::Exact && op != Op::NotEqual) bad();
            return binary(op, Type::Logical, std::move(e), std::move(r));
        }
        return e;
    }
    Expression additive() {
        Expression e = multiplicative();
        for (;;) {
            bool plus = take("+");
            if (!plus && !take("-")) return e;
            Expression r = multiplicative();
            Type a = e->type, b = r->type, t;
            if (plus && a == Type::String && b == Type::String) t = Type::String;
            else if (a == Type::Number && b == Type::Number) t = Type::Number;
            else if (a == Type::Date && b == Type::Number) t = Type::Date;
            else if (plus && a == Type::Number && b == Type::Date) t = Type::Date;
            else if (!plus && a == Type::Date && b == Type::Date) t = Type::Number;
            else bad();
            e = binary(plus ? Op::Add : Op::Subtract, t, std::move(e), std::move(r));
        }
    }
    Expression multiplicative() {
        Expression e = unary();
        for (;;) {
            bool times = take("*");
            if (!times && !take("/")) return e;
            Expression r = unary();
            if (e->type != Type::Number || r->type != Type::Number) bad();
            e = binary(times ? Op::Multiply : Op::Divide, Type::Number, std::move(e), std::move(r));
        }
    }
    Expression unary() {
        if (++depth_ > 200) bad();
        Expression e;
        if (take("-")) {
            Expression a = unary();
            if (a->type != Type::Number) bad();
            e = node(Op::Negate, Type::Number);
            adopt(e, std::move(a));
        } else if (take("+")) {
            e = unary();
            if (e->type != Type::Number) bad();
        } else {
            e = primary();
        }
        --depth_;
        return e;
    }

    Expression literal(Value v) {
        Expression e = node(Op::Literal, v.type);
        e->literal = std::move(v);
        return e;
    }

    Expression primary() {
        skipSpace();
        if (p_ >= s_.size()) bad();
        char c = s_[p_];
        if (c == '(') {
            ++p_;
            Expression e = orExpr();
            if (!take(")")) bad();
            return e;
        }
        if (c == '"' || c == '\'') {
            size_t end = s_.find(c, p_ + 1);
            if (end == std::string_view::npos) bad();
            Value v{Type::String, std::string(s_.substr(p_ + 1, end - p_ - 1))};
            p_ = end + 1;
            return literal(std::move(v));
        }
        if (take(".T.") || take(".Y.")) return literal(Value{Type::Logical, {}, 0, 10, 0, 0, true});
        if (take(".F.") || take(".N.")) return literal(Value{Type::Logical});
        if (c == '{') return braceDate();
        if (c == '0' && p_ + 1 < s_.size() && upper(s_[p_ + 1]) == 'D') return digitDate();
        if ((c >= '0' && c <= '9') || c == '.') return number();
        if (isUpperAscii(upper(c)) || c == '_') return name();
        bad();
    }

    Expression dateLiteral(int y, int m, int d) {
        Value v{Type::Date};
        v.day = dayNumber(y, m, d);
        if (!v.day) bad();
        return literal(std::move(v));
    }
    int digits(size_t n) {
        if (s_.size() - p_ < n) bad();
        int r = 0;
        for (size_t i = 0; i < n; ++i, ++p_) {
            if (s_[p_] < '0' || s_[p_] > '9') bad();
            r = r * 10 + (s_[p_] - '0');
        }
        return r;
    }
    Expression digitDate() { // 0dYYYYMMDD
        p_ += 2;
        int y = digits(4), m = digits(2), d = digits(2);
        return dateLiteral(y, m, d);
    }
    Expression braceDate() { // {^YYYY-MM-DD} or {^YYYY/MM/DD}
        ++p_;
        if (!take("^")) bad();
        int y = digits(4);
        if (!take("-") && !take("/")) bad();
        int m = digits(2);
        if (!take("-") && !take("/")) bad();
        int d = digits(2);
        if (!take("}")) bad();
        return dateLiteral(y, m, d);
    }
    Expression number() {
        size_t start = p_;
        while (p_ < s_.size() && s_[p_] >= '0' && s_[p_] <= '9') ++p_;
        int decimals = 0;
        if (p_ < s_.size() && s_[p_] == '.') {
            ++p_;
            while (p_ < s_.size() && s_[p_] >= '0' && s_[p_] <= '9') ++p_, ++decimals;
        }
        std::string text(s_.substr(start, p_ - start));
        if (text == ".") bad();
        Value v{Type::Number};
        v.number = std::strtod(text.c_str(), nullptr);
        v.decimals = decimals;
        v.width = decimals ? 11 + decimals : 10;
        return literal(std::move(v));
    }
    Expression name() {
        size_t start = p_;
        while (p_ < s_.size() && (isUpperAscii(upper(s_[p_])) || s_[p_] == '_' || (s_[p_] >= '0' && s_[p_] <= '9'))) ++p_;
        std::string word = upperText(s_.substr(start, p_ - start));
        if (peek('(')) return call(word);
        for (const Field& f : fields_) {
            if (f.name != word) continue;
            if (f.type == 'M') bad(); // memo text lives in another file
            Type t = f.type == 'N' || f.type == 'F' ? Type::Number
                   : f.type == 'D' ? Type::Date : f.type == 'L' ? Type::Logical : Type::String;
            Expression e = node(Op::Field, t);
            e->field = &f;
            return e;
        }
        bad();
    }
    Expression call(const std::string& word) {
        ++p_; // (
        std::vector<Expression> args;
        if (!take(")")) {
            do {
                args.push_back(orExpr());
            } while (take(","));
            if (!take(")")) bad();
        }
        for (const Function& f : functions) {
            if (word != f.name) continue;
            int n = int(args.size());
            if (n < f.minArgs || n > f.maxArgs) bad();
            if (f.op != Op::Empty)
                for (int i = 0; i < n; ++i)
                    if (args[i]->type != f.args[i]) bad();
            Expression e = node(f.op, f.result);
            for (Expression& a : args) adopt(e, std::move(a));
            return e;
        }
        bad();
    }
};

// Compares strings with exact off: the left side is cut to the length of the right side.
int compareLoose(const std::string& a, const std::string& b) {
    size_t la = std::min(a.size(), b.size());
    int c = std::memcmp(a.data(), b.data(), la);
    if (c) return c;
    return la < b.size() ? -1 : 0;
}

template <class T>
int order(T a, T b) { return a < b ? -1 : a > b ? 1 : 0; }

int compare(const Value& a, const Value& b) {
    switch (a.type) {
    case Type::String: return compareLoose(a.text, b.text);
    case Type::Number: return order(a.number, b.number);
    case Type::Date: return order(a.day, b.day);
    default: return order(a.logical, b.logical);
    }
}

bool exact(const Value& a, const Value& b) {
    return a.type == Type::String ? a.text == b.text : compare(a, b) == 0;
}

Value stringValue(std::string s) { return Value{Type::String, std::move(s)}; }
Value numberValue(double n, int width = 10, int decimals = 0) {
    Value v{Type::Number};
    v.number = n;
    v.width = width;
    v.decimals = decimals;
    return v;
}
Value logicalValue(bool b) {
    Value v{Type::Logical};
    v.logical = b;
    return v;
}
Value dateValue(int32_t day) {
    Value v{Type::Date};
    v.day = day;
    return v;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void civil(int32_t day, int& y, int& m, int& d) {
    // Inverse of dayNumber (days since 0000-03-01 shifted to stay positive).
    int32_t z = day - 1 - 60;
    int32_t era = z / 146097;
    int32_t doe = z - era * 146097;
    int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int32_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

Value fieldValue(const Field& f, const Record& r) {
    const char* p = reinterpret_cast<const char*>(r.bytes) + 1 + f.offset;
    std::string_view raw(p, f.length);
    switch (f.type) {
    case 'N':
    case 'F': {
        std::string t(raw);
        return numberValue(std::strtod(t.c_str(), nullptr), int(f.length), int(f.decimals));
    }
    case 'D': {
        int32_t day = 0;
        if (raw.size() == 8 && raw.find_first_not_of("0123456789") == std::string_view::npos)
            day = dayNumber(std::atoi(std::string(raw.substr(0, 4)).c_str()), (raw[4] - '0') * 10 + raw[5] - '0',
                            (raw[6] - '0') * 10 + raw[7] - '0');
        return dateValue(day);
    }
    case 'L': return logicalValue(!raw.empty() && std::strchr("TtYy", raw[0]) && raw[0]);
    default: return stringValue(std::string(raw));
    }
}

long whole(const Value& v) {
    if (!(v.number > -2e9 && v.number < 2e9)) return v.number > 0 ? 2000000000L : -2000000000L;
    return long(v.number);
}

Value val(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    size_t start = i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    int decimals = 0;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++decimals;
    }
    std::string t = s.substr(start, i - start);
    return numberValue(std::strtod(t.c_str(), nullptr), std::max<int>(10, int(s.size())), decimals);
}

int32_t ctod(const std::string& s) {
    int part[3] = {0, 0, 0}, n = 0;
    bool inNumber = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            if (!inNumber && n == 3) return 0;
            if (!inNumber) ++n;
            inNumber = true;
            if (part[n - 1] > 99999) return 0;
            part[n - 1] = part[n - 1] * 10 + (c - '0');
        } else {
            inNumber = false;
        }
    }
    if (n != 3) return 0;
    int y = part[2] < 100 ? 1900 + part[2] : part[2];
    return dayNumber(y, part[0], part[1]);
}

} // namespace

int32_t dayNumber(int y, int m, int d) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return 0;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > lengths[m - 1] + (m == 2 && leap)) return 0;
    y -= m <= 2;
    int32_t era = y / 400;
    int32_t yoe = y - era * 400;
    int32_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    int32_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe + 60 + 1; // 0001-01-01 is day 367, never 0
}

std::string dtos(int32_t day) {
    if (!day) return std::string(8, ' ');
    int y, m, d;
    civil(day, y, m, d);
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", y, m, d);
    return b;
}

std::string str(double n, int width, int decimals) {
    if (width < 1) width = 10;
    if (width > 255) width = 255;
    if (decimals < 0) decimals = 0;
    if (decimals > width) decimals = width;
    double scale = std::pow(10.0, decimals);
    double rounded = std::round(n * scale) / scale; // halves away from zero
    char b[400];
    std::snprintf(b, sizeof b, "%*.*f", width, decimals, rounded);
    std::string r = b;
    if (int(r.size()) > width) return std::string(width, '*');
    return r;
}

std::string valueText(const Value& v) {
    switch (v.type) {
    case Type::String: return v.text;
    case Type::Number: {
        std::string s = str(v.number, 60, v.decimals);
        return s.substr(s.find_first_not_of(' '));
    }
    case Type::Date: return dtos(v.day);
    default: return v.logical ? "T" : "F";
    }
}

Expression parse(std::string_view text, const std::vector<Field>& fields) {
    if (text.size() > 65536) throw Failure{ENGINE_EXPRESSION};
    return Parser(text, fields).all();
}

Value evaluate(const Node& e, const Record& r) {
    auto arg = [&](size_t i) { return evaluate(*e.args[i], r); };
    switch (e.op) {
    case Op::Literal: return e.literal;
    case Op::Field: return fieldValue(*e.field, r);
    case Op::Deleted: return logicalValue(!r.atEnd && r.bytes[0] == '*');
    case Op::Recno: return numberValue(r.recno, 7);
    case Op::Eof: return logicalValue(r.atEnd);
    case Op::Or: return logicalValue(arg(0).logical || arg(1).logical);
    case Op::And: return logicalValue(arg(0).logical && arg(1).logical);
    case Op::Not: return logicalValue(!arg(0).logical);
    case Op::Equal: return logicalValue(compare(arg(0), arg(1)) == 0);
    case Op::Exact: return logicalValue(exact(arg(0), arg(1)));
    case Op::NotEqual: return logicalValue(compare(arg(0), arg(1)) != 0);
    case Op::Less: return logicalValue(compare(arg(0), arg(1)) < 0);
    case Op::LessEqual: return logicalValue(compare(arg(0), arg(1)) <= 0);
    case Op::Greater: return logicalValue(compare(arg(0), arg(1)) > 0);
    case Op::GreaterEqual: return logicalValue(compare(arg(0), arg(1)) >= 0);
    case Op::Contains: {
        Value a = arg(0), b = arg(1);
        return logicalValue(!a.text.empty() && b.text.find(a.text) != std::string::npos);
    }
    case Op::Add:
    case Op::Subtract: {
        Value a = arg(0), b = arg(1);
        double sign = e.op == Op::Add ? 1 : -1;
        if (e.type == Type::String) return stringValue(a.text + b.text);
        if (e.type == Type::Number && a.type == Type::Date) return numberValue(a.day && b.day ? a.day - b.day : 0);
        if (e.type == Type::Number)
            return numberValue(a.number + sign * b.number, std::max(a.width, b.width), std::max(a.decimals, b.decimals));
        const Value& date = a.type == Type::Date ? a : b;
        double days = a.type == Type::Date ? sign * b.number : a.number;
        double n = date.day ? date.day + std::floor(days) : 0;
        return dateValue(n >= 367 && n <= dayNumber(9999, 12, 31) ? int32_t(n) : 0);
    }
    case Op::Multiply: {
        Value a = arg(0), b = arg(1);
        return numberValue(a.number * b.number, 10, a.decimals + b.decimals);
    }
    case Op::Divide: {
        Value a = arg(0), b = arg(1);
        return numberValue(b.number == 0 ? 0 : a.number / b.number, 10, std::max(a.decimals, 2));
    }
    case Op::Negate: {
        Value a = arg(0);
        a.number = -a.number;
        return a;
    }
    case Op::Upper:
    case Op::Lower: {
        Value a = arg(0);
        for (char& c : a.text) c = e.op == Op::Upper ? upper(c) : lower(c);
        return a;
    }
    case Op::Trim:
    case Op::Ltrim:
    case Op::Alltrim: {
        std::string s = arg(0).text;
        if (e.op != Op::Ltrim) s.erase(s.find_last_not_of(' ') + 1);
        if (e.op != Op::Trim) s.erase(0, std::min(s.size(), s.find_first_not_of(' ')));
        return stringValue(std::move(s));
    }
    case Op::Left:
    case Op::Right: {
        std::string s = arg(0).text;
        long n = whole(arg(1));
        if (n <= 0) return stringValue({});
        size_t k = std::min<size_t>(size_t(n), s.size());
        return stringValue(e.op == Op::Left ? s.substr(0, k) : s.substr(s.size() - k));
    }
    case Op::Substr: {
        std::string s = arg(0).text;
        long start = whole(arg(1));
        long len = long(s.size());
        long from = start > 0 ? start - 1 : start < 0 ? std::max(0L, len + start) : 0;
        if (from >= len) return stringValue({});
        long count = e.args.size() > 2 ? whole(arg(2)) : len - from;
        if (count <= 0) return stringValue({});
        return stringValue(s.substr(size_t(from), size_t(std::min(count, len - from))));
    }
    case Op::Str: {
        Value n = arg(0);
        int width = e.args.size() > 1 ? int(std::clamp(whole(arg(1)), 1L, 255L)) : n.width;
        int decimals = e.args.size() > 2 ? int(std::clamp(whole(arg(2)), 0L, 255L)) : e.args.size() > 1 ? 0 : n.decimals;
        return stringValue(str(n.number, width, decimals));
    }
    case Op::Val: return val(arg(0).text);
    case Op::Dtos: return stringValue(dtos(arg(0).day));
    case Op::Ctod: return dateValue(ctod(arg(0).text));
    case Op::Year:
    case Op::Month:
    case Op::Day: {
        int32_t day = arg(0).day;
        int y = 0, m = 0, d = 0;
        if (day) civil(day, y, m, d);
        return numberValue(e.op == Op::Year ? y : e.op == Op::Month ? m : d, e.op == Op::Year ? 5 : 3);
    }
    case Op::Empty: {
        Value a = arg(0);
        switch (a.type) {
        case Type::String:
            for (char c : a.text)
                if (!isBlank(c)) return logicalValue(false);
            return logicalValue(true);
        case Type::Number: return logicalValue(a.number == 0);
        case Type::Date: return logicalValue(a.day == 0);
        default: return logicalValue(!a.logical);
        }
    }
    }
    return Value{};
}

} // namespace engine
