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

struct Value {
    Type type = Type::Logical;
    std::string text;       // String
    double number = 0;      // Number
    int width = 10, decimals = 0;
    int32_t day = 0;        // Date: a day number, 0 for the empty date
    bool logical = false;   // Logical
};

// The record an expression reads: its bytes (deleted flag first) and its number.
struct Record {
    const std::vector<Field>* fields;
    const uint8_t* bytes;
    uint32_t recno;
    bool atEnd;
};

struct Node;
struct NodeDeleter {
    void operator()(Node*) const;
};
using Expression = std::unique_ptr<Node, NodeDeleter>;

// Throws Failure{ENGINE_EXPRESSION} for a syntax error, an unknown name or mismatched types.
Expression parse(std::string_view text, const std::vector<Field>& fields);
Type typeOf(const Node& e);
Value evaluate(const Node& e, const Record& r);

// Helpers shared with the index code.
int32_t dayNumber(int y, int m, int d); // 0 when the date is not valid
std::string dtos(int32_t day);
std::string str(double n, int width, int decimals);
std::string valueText(const Value& v);  // as the inspection call writes it

} // namespace engine
