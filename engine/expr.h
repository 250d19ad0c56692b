// The xBase expression language of filters, locates and index keys: parsed once into a typed
// tree (every type error is found while parsing), then evaluated on one record at a time.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// A failure that ends an engine call with its result code.
struct Failure {
    uint32_t code;
};

struct Field {
    std::string name;
    char type;       // C N F D L M, or another letter read as text
    uint32_t offset; // from the start of the record, after the deleted flag
    uint32_t length;
    uint32_t decimals;
};

enum class Type { String, Number, Date, Logical };

// A value while a record is evaluated. Text points into the record, a literal or a node's
// buffer. A number is an exact integer (`whole`, also in `num`) or a double (`num`); `width` is
// the places of its whole part and `dec` its decimals, as STR() without a width prints it.
struct Cell {
    double num = 0;
    union {
        int64_t whole = 0; // a Number's exact value when `integer`
        int64_t day;       // a Date's Julian day number, 0 for the empty date
    };
    const char* s = nullptr;
    uint32_t len = 0;
    int width = 10, dec = 0;
    Type type = Type::Logical;
    bool b = false;
    bool integer = false;
    bool wide = false;       // an integer of the engine's long kind: past 32 bits, or a date difference
    bool defaultDec = false; // a folded literal whose decimals are the default ones (a quotient's)
};

// An expression's result, kept past the record: a cell that owns its text.
struct Value : Cell {
    std::string text; // a String's bytes (the cell's own pointer is left null)
};

class Memo; // a table's memo file (files.h)

// The record an expression reads: its bytes (deleted flag first), its number, the table's
// record count and memo file.
struct Record {
    const std::vector<Field>* fields;
    const uint8_t* bytes;
    uint32_t recno;
    bool atEnd;
    uint32_t records = 0;
    const Memo* memo = nullptr;
};

struct Node;
struct NodeDeleter {
    void operator()(Node*) const;
};
using Expression = std::unique_ptr<Node, NodeDeleter>;

// Throws Failure{ENGINE_EXPRESSION} for a syntax error, an unknown name, mismatched types or a
// tree deeper than 100, and Failure{memoFailure} for a memo field when that is not 0: the
// table's memo file is missing or damaged (parser.cpp).
Expression parse(std::string_view text, const std::vector<Field>& fields, uint32_t memoFailure = 0);
Type typeOf(const Node& e);
// Throws Failure{ENGINE_EXPRESSION} where the record's values make the expression fail: a text
// result longer than 1 MB, a date moved by a billion days or more; ENGINE_CORRUPT_MEMO for a
// memo the memo file does not hold (evaluator.cpp).
Value evaluate(const Node& e, const Record& r);
// A logical expression's answer for the record, without building a Value.
bool holds(const Node& e, const Record& r);

// Helpers shared with the index code.
std::string dtos(int64_t day);
std::string str(double n, int width, int decimals);
std::string valueText(const Value& v);  // as the inspection call writes it

} // namespace engine
