// The parser: text to a typed tree. Every type error is found here, so that evaluation only
// meets the failures that depend on a record's values.
#include <algorithm>
#include <cstdlib>
#include "ace32.h"
#include "tree.h"

namespace engine {

void NodeDeleter::operator()(Node* n) const { delete n; }
Type typeOf(const Node& e) { return e.type; }

namespace {

Expression node(Op op, Type type) {
    Expression e(new Node{op, type});
    e->literal.type = type;
    return e;
}

// Evaluation recurses as deep as the tree: a long chain such as 1+1+...+1 is refused here.
void adopt(Expression& parent, Expression child) {
    parent->height = std::max(parent->height, child->height + 1);
    if (parent->height > 100) refuse();
    parent->args.push_back(std::move(child));
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

struct Function {
    const char* name;
    Op op;
    char result;      // C N D L, or the index of the argument whose type it takes
    int minArgs, maxArgs;
    const char* args; // per argument: C N D L, * any type, P text, number or date
};

const Function functions[] = {
    {"UPPER", Op::Upper, 'C', 1, 1, "C"},        {"LOWER", Op::Lower, 'C', 1, 1, "C"},
    {"TRIM", Op::Trim, 'C', 1, 1, "C"},          {"RTRIM", Op::Trim, 'C', 1, 1, "C"},
    {"LTRIM", Op::Ltrim, 'C', 1, 1, "C"},        {"ALLTRIM", Op::Alltrim, 'C', 1, 1, "C"},
    {"LEFT", Op::Left, 'C', 2, 2, "CN"},         {"RIGHT", Op::Right, 'C', 2, 2, "CN"},
    {"SUBSTR", Op::Substr, 'C', 2, 3, "CNN"},    {"SPACE", Op::Space, 'C', 1, 1, "N"},
    {"REPLICATE", Op::Replicate, 'C', 2, 2, "CN"}, {"PADL", Op::Padl, 'C', 2, 3, "PNC"},
    {"PADR", Op::Padr, 'C', 2, 3, "PNC"},        {"PADC", Op::Padc, 'C', 2, 3, "PNC"},
    {"STUFF", Op::Stuff, 'C', 4, 4, "CNNC"},     {"CHR", Op::Chr, 'C', 1, 1, "N"},
    {"STR", Op::Str, 'C', 1, 3, "NNN"},          {"STRZERO", Op::Strzero, 'C', 1, 3, "NNN"},
    {"DTOS", Op::Dtos, 'C', 1, 1, "D"},          {"DTOC", Op::Dtoc, 'C', 1, 1, "D"},
    {"CDOW", Op::Cdow, 'C', 1, 1, "D"},          {"CMONTH", Op::Cmonth, 'C', 1, 1, "D"},
    {"LEN", Op::Len, 'N', 1, 1, "C"},            {"AT", Op::At, 'N', 2, 2, "CC"},
    {"RAT", Op::Rat, 'N', 2, 2, "CC"},           {"ASC", Op::Asc, 'N', 1, 1, "C"},
    {"VAL", Op::Val, 'N', 1, 1, "C"},            {"ABS", Op::Abs, 'N', 1, 1, "N"},
    {"INT", Op::Int, 'N', 1, 1, "N"},            {"ROUND", Op::Round, 'N', 2, 2, "NN"},
    {"MIN", Op::Min, 0, 2, 2, "**"},             {"MAX", Op::Max, 0, 2, 2, "**"},
    {"MOD", Op::Mod, 'N', 2, 2, "NN"},           {"YEAR", Op::Year, 'N', 1, 1, "D"},
    {"MONTH", Op::Month, 'N', 1, 1, "D"},        {"DAY", Op::Day, 'N', 1, 1, "D"},
    {"DOW", Op::Dow, 'N', 1, 1, "D"},            {"RECNO", Op::Recno, 'N', 0, 0, ""},
    {"RECCOUNT", Op::Reccount, 'N', 0, 0, ""},   {"LASTREC", Op::Reccount, 'N', 0, 0, ""},
    {"CTOD", Op::Ctod, 'D', 1, 1, "C"},          {"STOD", Op::Stod, 'D', 1, 1, "C"},
    {"DATE", Op::Date, 'D', 0, 0, ""},           {"EMPTY", Op::Empty, 'L', 1, 1, "*"},
    {"DELETED", Op::Deleted, 'L', 0, 0, ""},     {"EOF", Op::Eof, 'L', 0, 0, ""},
    {"ISALPHA", Op::IsAlpha, 'L', 1, 1, "C"},    {"ISDIGIT", Op::IsDigit, 'L', 1, 1, "C"},
    {"ISUPPER", Op::IsUpper, 'L', 1, 1, "C"},    {"ISLOWER", Op::IsLower, 'L', 1, 1, "C"},
    {"IIF", Op::Iif, 1, 3, 3, "L**"},
};

Type typeCode(char c) {
    return c == 'C' ? Type::String : c == 'N' ? Type::Number : c == 'D' ? Type::Date : Type::Logical;
}

bool fits(char want, Type t) {
    switch (want) {
    case '*': return true;
    case 'P': return t != Type::Logical;
    default: return typeCode(want) == t;
    }
}

class Parser {
public:
    Parser(std::string_view text, const std::vector<Field>& fields, uint32_t memoFailure)
        : s_(text), fields_(fields), memoFailure_(memoFailure) {}

    Expression all() {
        Expression e = orExpr();
        skipSpace();
        if (p_ != s_.size()) refuse();
        return e;
    }

private:
    std::string_view s_;
    const std::vector<Field>& fields_;
    uint32_t memoFailure_;
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
    void deeper() {
        if (++depth_ > 200) refuse();
    }

    // An operation on literals becomes a literal, with the places that folding gives: the
    // arithmetic, INT(), LEN(), ASC(), AT(), MIN(), MAX() and IIF() on a literal condition.
    static bool literal(const Expression& e, Type t) { return e->op == Op::Literal && e->type == t; }
    // The operations folded by their run-time value: relations (on text only ==, as the others
    // depend on exact matching), the connectives, $, EMPTY(), UPPER(), CHR(), STOD(), CTOD("") and
    // text + and -.
    static bool foldsByValue(const Node& e) {
        switch (e.op) {
        case Op::Exact: case Op::Not: case Op::Contains: case Op::Empty: case Op::Upper: case Op::Chr: case Op::Stod:
            return true;
        case Op::Equal: case Op::NotEqual: case Op::Less: case Op::LessEqual: case Op::Greater: case Op::GreaterEqual:
            return e.args[0]->type != Type::String;
        case Op::Ctod: return e.args[0]->text.empty();
        case Op::Add: case Op::Subtract: return e.type == Type::String;
        default: return false;
        }
    }
    static Expression folded(Expression e) {
        auto& a = e->args;
        if (e->op == Op::Iif && literal(a[0], Type::Logical)) return std::move(a[a[0]->literal.b ? 1 : 2]);
        // .F. .AND. x is .F. and .T. .OR. x is .T., either way round; .T. .AND. x is x.
        if (e->op == Op::And || e->op == Op::Or) {
            bool decides = e->op == Op::Or;
            for (int i = 0; i < 2; ++i)
                if (literal(a[i], Type::Logical)) return std::move(a[a[i]->literal.b == decides ? i : 1 - i]);
        }
        if (foldsByValue(*e) && std::all_of(a.begin(), a.end(), [](const Expression& x) { return x->op == Op::Literal; })) {
            Value v = evaluate(*e, Record{nullptr, nullptr, 0, false});
            Expression f = node(Op::Literal, v.type);
            f->literal = v; // a logical, date or text: its text goes to the node
            f->text = v.text;
            return f;
        }
        if (!std::all_of(a.begin(), a.end(), [](const Expression& x) { return x->op == Op::Literal; }) || a.empty())
            return e;
        Cell out;
        switch (e->op) {
        case Op::Min:
        case Op::Max:
            if (e->type != Type::Number) return e;
        {
            int c = compareNumbers(a[0]->literal, a[1]->literal);
            return std::move(a[c == 0 || c == (e->op == Op::Min ? -1 : 1) ? 0 : 1]);
        }
        case Op::Len:
        case Op::Asc:
            if (a[0]->type != Type::String) return e;
            out = integerCell(e->op == Op::Len ? int64_t(a[0]->text.size()) : a[0]->text.empty() ? 0 : uint8_t(a[0]->text[0]), 10);
            break;
        case Op::At: {
            size_t at = a[0]->text.empty() ? std::string::npos : a[1]->text.find(a[0]->text);
            out = integerCell(at == std::string::npos ? 0 : int64_t(at + 1), 10);
            break;
        }
        default:
            if (e->type != Type::Number || a[0]->type != Type::Number || (a.size() > 1 && a[1]->type != Type::Number) ||
                !fold(e->op, a[0]->literal, a.size() > 1 ? a[1]->literal : a[0]->literal, out))
                return e;
        }
        Expression f = node(Op::Literal, Type::Number);
        f->literal = out;
        return f;
    }

    static Expression make(Op op, Type type, Expression a, Expression b = nullptr) {
        Expression e = node(op, type);
        adopt(e, std::move(a));
        if (b) adopt(e, std::move(b));
        return e;
    }

    Expression orExpr() {
        deeper();
        Expression e = andExpr();
        while (take(".OR.")) {
            Expression r = andExpr();
            if (e->type != Type::Logical || r->type != Type::Logical) refuse();
            e = folded(make(Op::Or, Type::Logical, std::move(e), std::move(r)));
        }
        --depth_;
        return e;
    }
    Expression andExpr() {
        Expression e = relation();
        while (take(".AND.")) {
            Expression r = relation();
            if (e->type != Type::Logical || r->type != Type::Logical) refuse();
            e = folded(make(Op::And, Type::Logical, std::move(e), std::move(r)));
        }
        return e;
    }
    Expression relation() {
        Expression e = additive();
        static const std::pair<const char*, Op> ops[] = {
            {"==", Op::Exact}, {"!=", Op::NotEqual}, {"<>", Op::NotEqual}, {"<=", Op::LessEqual},
            {">=", Op::GreaterEqual}, {"=", Op::Equal}, {"#", Op::NotEqual}, {"<", Op::Less},
            {">", Op::Greater}, {"$", Op::Contains}};
        for (bool again = true; again;) {
            again = false;
            for (auto& [word, op] : ops) {
                if (!take(word)) continue;
                Expression r = additive();
                if (e->type != r->type) refuse();
                if (op == Op::Contains && e->type != Type::String) refuse();
                e = folded(make(op, Type::Logical, std::move(e), std::move(r)));
                again = true;
                break;
            }
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
            if (a == Type::String && b == Type::String) t = Type::String;
            else if (a == Type::Number && b == Type::Number) t = Type::Number;
            else if (a == Type::Date && b == Type::Number) t = Type::Date;
            else if (plus && a == Type::Number && b == Type::Date) t = Type::Date;
            else if (!plus && a == Type::Date && b == Type::Date) t = Type::Number;
            else refuse();
            e = folded(make(plus ? Op::Add : Op::Subtract, t, std::move(e), std::move(r)));
        }
    }
    Expression multiplicative() {
        Expression e = powers();
        for (;;) {
            Op op = take("*") ? Op::Multiply : take("/") ? Op::Divide : take("%") ? Op::Modulus : Op::Literal;
            if (op == Op::Literal) return e;
            Expression r = powers();
            if (e->type != Type::Number || r->type != Type::Number) refuse();
            e = folded(make(op, Type::Number, std::move(e), std::move(r)));
        }
    }
    // ** and ^ bind tighter than * and from the left; a sign belongs to its operand, so -2^2 is 4.
    Expression powers() {
        Expression e = unary();
        while (take("**") || take("^")) {
            Expression r = unary();
            if (e->type != Type::Number || r->type != Type::Number) refuse();
            e = folded(make(Op::Power, Type::Number, std::move(e), std::move(r)));
        }
        return e;
    }
    // A negation takes the comparison that follows it: "A != .NOT. B = C" is A != (.NOT. (B = C)).
    Expression unary() {
        deeper();
        Expression e;
        if (take(".NOT.") || (peek('!') && !(p_ + 1 < s_.size() && s_[p_ + 1] == '=') && take("!"))) {
            Expression a = relation();
            if (a->type != Type::Logical) refuse();
            e = folded(make(Op::Not, Type::Logical, std::move(a)));
        } else if (take("-")) {
            Expression a = unary();
            if (a->type != Type::Number) refuse();
            e = folded(make(Op::Negate, Type::Number, std::move(a)));
        } else if (take("+")) {
            e = unary();
            if (e->type != Type::Number) refuse();
        } else {
            e = primary();
        }
        --depth_;
        return e;
    }

    Expression primary() {
        skipSpace();
        if (p_ >= s_.size()) refuse();
        char c = s_[p_];
        if (c == '(') {
            ++p_;
            Expression e = orExpr();
            if (!take(")")) refuse();
            return e;
        }
        if (c == '"' || c == '\'') {
            size_t end = s_.find(c, p_ + 1);
            if (end == std::string_view::npos) refuse();
            Expression e = node(Op::Literal, Type::String);
            e->text.assign(s_.substr(p_ + 1, end - p_ - 1));
            p_ = end + 1;
            return e;
        }
        if (take(".T.") || take(".Y.")) return logical(true);
        if (take(".F.") || take(".N.")) return logical(false);
        if (c == '{') return braceDate();
        if (c == '0' && p_ + 1 < s_.size() && upper(s_[p_ + 1]) == 'D') return digitDate();
        if ((c >= '0' && c <= '9') || c == '.') return number();
        if (isLetter(c) || c == '_') return name();
        refuse();
    }

    Expression logical(bool b) {
        Expression e = node(Op::Literal, Type::Logical);
        e->literal.b = b;
        return e;
    }
    Expression dateLiteral(int y, int m, int d) {
        Expression e = node(Op::Literal, Type::Date);
        e->literal.day = julian(y, m, d);
        if (!e->literal.day) refuse();
        return e;
    }
    int digits(size_t n) {
        if (s_.size() - p_ < n) refuse();
        int r = 0;
        for (size_t i = 0; i < n; ++i, ++p_) {
            if (s_[p_] < '0' || s_[p_] > '9') refuse();
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
        if (!take("^")) refuse();
        int y = digits(4);
        if (!take("-") && !take("/")) refuse();
        int m = digits(2);
        if (!take("-") && !take("/")) refuse();
        int d = digits(2);
        if (!take("}")) refuse();
        return dateLiteral(y, m, d);
    }
    // Digits with at most one point, which a digit must follow ("1.AND." is 1 .AND.).
    Expression number() {
        size_t start = p_;
        while (p_ < s_.size() && s_[p_] >= '0' && s_[p_] <= '9') ++p_;
        if (p_ + 1 < s_.size() && s_[p_] == '.' && s_[p_ + 1] >= '0' && s_[p_ + 1] <= '9')
            for (++p_; p_ < s_.size() && s_[p_] >= '0' && s_[p_] <= '9';) ++p_;
        std::string_view text = s_.substr(start, p_ - start);
        if (text.empty()) refuse();
        Expression e = node(Op::Literal, Type::Number);
        e->literal = literalNumber(text);
        return e;
    }
    Expression name() {
        size_t start = p_;
        while (p_ < s_.size() && (isLetter(s_[p_]) || s_[p_] == '_' || (s_[p_] >= '0' && s_[p_] <= '9'))) ++p_;
        std::string word(s_.substr(start, p_ - start));
        for (char& c : word) c = upper(c);
        if (peek('(')) return call(word);
        for (const Field& f : fields_) {
            if (f.name != word) continue;
            if (f.type == 'M' && memoFailure_) throw Failure{memoFailure_}; // memo text lives in another file
            Type t = f.type == 'N' || f.type == 'F' ? Type::Number
                   : f.type == 'D' ? Type::Date : f.type == 'L' ? Type::Logical : Type::String;
            Expression e = node(f.type == 'M' ? Op::Memo : Op::Field, t);
            e->field = &f;
            return e;
        }
        refuse();
    }
    Expression call(const std::string& word) {
        ++p_; // (
        std::vector<Expression> args;
        if (!take(")")) {
            do {
                args.push_back(orExpr());
            } while (take(","));
            if (!take(")")) refuse();
        }
        auto f = std::find_if(std::begin(functions), std::end(functions), [&](const Function& f) { return word == f.name; });
        if (f == std::end(functions)) refuse();
        int n = int(args.size());
        if (n < f->minArgs || n > f->maxArgs) refuse();
        for (int i = 0; i < n; ++i)
            if (!fits(f->args[i], args[i]->type)) refuse();
        Type result = f->result > 2 ? typeCode(f->result) : args[size_t(f->result)]->type;
        if (f->op == Op::Iif && args[1]->type != args[2]->type) refuse();
        if ((f->op == Op::Min || f->op == Op::Max) && (args[0]->type != args[1]->type || result == Type::String)) refuse();
        Expression e = node(f->op, result);
        for (Expression& a : args) adopt(e, std::move(a));
        return folded(std::move(e));
    }
};

} // namespace

Expression parse(std::string_view text, const std::vector<Field>& fields, uint32_t memoFailure) {
    if (text.size() > 65536) refuse();
    return Parser(text, fields, memoFailure).all();
}

} // namespace engine
