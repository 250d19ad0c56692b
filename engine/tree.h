// The compiled form of an expression, shared by the parser that builds it and the evaluator that
// runs it: a typed tree whose nodes keep their own result buffers, so that evaluating a record
// allocates nothing once the buffers have grown to the longest text seen.
#pragma once
#include <cstdint>
#include <string>
#include "ace32.h"
#include "expr.h"

namespace engine {

enum class Op {
    Literal, Field, Memo, Deleted, Recno, Reccount, Eof, Date,
    Or, And, Not, Iif, Equal, Exact, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains,
    Add, Subtract, Multiply, Divide, Modulus, Power, Negate,
    // text
    Upper, Lower, Trim, Ltrim, Alltrim, Left, Right, Substr, Space, Replicate, Padl, Padr, Padc, Stuff,
    Chr, Str, Strzero, Dtos, Dtoc, Cdow, Cmonth,
    // numbers
    Len, At, Rat, Asc, Val, Abs, Int, Round, Min, Max, Mod, Year, Month, Day, Dow,
    // dates and logicals
    Ctod, Stod, Empty, IsAlpha, IsDigit, IsUpper, IsLower,
};

struct Node {
    Op op;
    Type type;
    Cell literal;
    std::string text; // a text literal's bytes
    const Field* field = nullptr;
    std::vector<Expression> args;
    int height = 1;
    mutable std::string buffer; // this node's text result, reused from record to record
};

// An expression the engine refuses: a parse error, or a record's values it cannot evaluate.
[[noreturn]] inline void refuse() { throw Failure{ENGINE_EXPRESSION}; }
inline char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

// Day numbers as the engine counts them (Julian days; 0 is the empty date).
int64_t julian(int y, int m, int d); // 0 when the date is not valid
void civil(int64_t day, int& y, int& m, int& d); // 0/0/0 for days before year 0
int64_t ctod(const char* s, size_t n);           // MM/DD/YY, the century from 1900

// The number model (numbers.cpp): every rule for places and decimals is there.
constexpr int defaultDecimals = 2; // the decimals of a quotient, a remainder or a power
// The places of a computed number's whole part: 10, or 20 past ten digits (nine when negative).
inline int placesFor(double v) { return v > 9999999999.0 || v < -999999999.0 ? 20 : 10; }
// An operation's result as a double holds it: the 32-bit build's x87 registers carry more
// digits, which would make 778002*778002*778002 exact where the engine rounds it.
inline double held(double d) {
    volatile double v = d;
    return v;
}
inline Cell integerCell(int64_t n, int places) {
    Cell c;
    c.type = Type::Number;
    c.integer = true;
    c.wide = n < INT32_MIN || n > INT32_MAX;
    c.whole = n;
    c.num = double(n);
    c.width = places;
    return c;
}
inline Cell realCell(double d, int dec, int places) {
    Cell c;
    c.type = Type::Number;
    c.num = d;
    c.dec = dec;
    c.width = places;
    return c;
}
// An operation's integer result: 10 or 20 places.
inline Cell computedInteger(int64_t n) { return integerCell(n, placesFor(double(n))); }
// An operation's double result: 10 or 20 places.
inline Cell computedReal(double d, int dec) {
    d = held(d);
    return realCell(d, dec, placesFor(d));
}
Cell literalNumber(std::string_view text);
Cell fieldNumber(const char* p, size_t n, int dec);
Cell val(const char* s, size_t n);
Cell add(const Cell& a, const Cell& b, bool subtract);
Cell multiply(const Cell& a, const Cell& b);
Cell divide(const Cell& a, const Cell& b);
Cell modulus(const Cell& a, const Cell& b);
Cell power(const Cell& a, const Cell& b);
Cell negate(const Cell& a);
Cell absolute(const Cell& a);
Cell integerPart(const Cell& a);
Cell rounded(const Cell& a, int dec);
Cell modulo(const Cell& a, const Cell& b); // MOD()
// The parser's folding of an operation on literals (b unused for a unary one): false when it
// is left to run time.
bool fold(Op op, const Cell& a, const Cell& b, Cell& out);
double roundTo(double n, int dec);
// -1, 0 or 1, or `unordered` when either is not a number (a negative root): then only != holds.
constexpr int unordered = 2;
inline int compareNumbers(const Cell& a, const Cell& b) {
    if (a.integer && b.integer) return a.whole < b.whole ? -1 : a.whole > b.whole;
    return a.num < b.num ? -1 : a.num > b.num ? 1 : a.num == b.num ? 0 : unordered;
}
size_t formatReal(char* out, double n, int width, int dec);   // width clamped to 1..255
size_t formatNumber(char* out, const Cell& c, int width, int dec);
int printWidth(const Cell& c); // STR() without a width

} // namespace engine
