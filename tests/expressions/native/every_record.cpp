// Every line of an expression table through the engine's own parser and evaluator: the same 0/1
// as the independent engine on every record, and a refusal wherever that engine raised an error.
//   expressions_test FOLDER [TABLE LIST LINES]   (CUSTOMER.DBF, expressions.tsv, 2018 by default)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include "files.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string folder = std::string(argv[1]) + "/";
    bool other = argc > 4;
    engine::Table table(folder + (other ? argv[2] : "CUSTOMER.DBF"));
    std::ifstream in(folder + (other ? argv[3] : "expressions.tsv"), std::ios::binary);
    const int expected = other ? std::atoi(argv[4]) : 2018;
    int lines = 0, agreed = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        std::string count = line.substr(0, tab1), want = line.substr(tab1 + 1, tab2 - tab1 - 1);
        std::string expression = line.substr(tab2 + 1), got;
        try {
            engine::Expression e = engine::parse(expression, table.fields(), table.memoFailure());
            if (engine::typeOf(*e) != engine::Type::Logical) throw engine::Failure{0};
            for (uint32_t r = 1; r <= table.records(); ++r) got += engine::holds(*e, table.record(r)) ? '1' : '0';
        } catch (const engine::Failure&) {
            got = "ERR";
        }
        if (count == "ERR" ? got == "ERR" : got == want) {
            ++agreed;
            continue;
        }
        size_t first = 0;
        while (first < got.size() && first < want.size() && got[first] == want[first]) ++first;
        std::printf("line %d differs from record %zu: %s\n", lines + 1, first + 1, expression.c_str());
    }
    std::printf("%d of %d lines agree on every record\n", agreed, lines);
    return agreed == lines && lines == expected ? 0 : 1;
}
