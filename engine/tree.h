// The compiled form of an expression, shared by the parser that builds it and the evaluator that
// runs it: a typed tree whose nodes keep their own result buffers, so that evaluating a record
// allocates nothing once the buffers have grown to the longest text seen.
#pragma once
#include <string>
#include "expr.h"

namespace engine {

enum class Op {
    Literal, Field, Memo, Deleted, Recno, Reccount, Eof, Date,
    Or, And, Not, Iif, Equal, Exact, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains,
    Add, Subtract, Multiply, Divide, Modulus, Negate,
    // text
    Upper, Lower, Trim, Ltrim, Alltrim, Left, Right, Substr, Space, Replicate, Padl, Padr, Padc, Stuff,
    Chr, Str, Strzero, Dtos, Dtoc, Cdow, Cmonth,
    // numbers
    Len, At, Rat, Asc, Val, Abs, Int, Round, Min, Max, Mod, Year, Month, Day, Dow,
    // dates and logicals
    Ctod, Stod, Empty, IsAlpha, IsDigit, IsUpper, IsLower,
};

// A value while a record is evaluated. Text points into the record, a literal or a node's
// buffer; a number carries the width and decimals that STR() without a width prints it with.
struct Cell {
    Type type = Type::Logical;
    const char* s = nullptr;
    uint32_t len = 0;
    double num = 0;
    int width = 10, dec = 0;
    int64_t day = 0; // a Julian day number, 0 for the empty date
    bool b = false;
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

// Day numbers as the engine counts them (Julian days; 0 is the empty date).
int64_t julian(int y, int m, int d); // 0 when the date is not valid
void civil(int64_t day, int& y, int& m, int& d); // 0/0/0 for days before year 0
int64_t ctod(const char* s, size_t n);           // MM/DD/YY, the century from 1900

} // namespace engine
