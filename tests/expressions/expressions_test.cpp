// Filters and locates through the registered DLL for a sample of expressions.tsv and for the
// products of products.tsv: each counts the records that the independent engine counted, and its
// refusals are refused here too.
#include <sstream>
#include <tuple>
#include "library.h"
#include "scratch.h"
#include "tables/AdvDataAccess.h"

using namespace test;

namespace {

std::wstring data(const std::wstring& name) { return testData(L"xbase\\" + name); }

class Expressions : public RegisteredLibrary {
protected:
    ComPtr<_AdvDataAccess> ada = make<_AdvDataAccess>(L"AdvDataAccess");
    LONG table = 0;

    void SetUp() override { ASSERT_EQ(S_OK, ada->OpenACETable(Bstr(data(L"CUSTOMER.DBF")).get(), &table)); }
    bool filter(const std::wstring& e) {
        VARIANT_BOOL b = 7;
        EXPECT_EQ(S_OK, ada->ApplyACEFilter(table, Bstr(e).get(), &b));
        return b == VARIANT_TRUE;
    }
    // Locate, then locate again while found (the engine continues): the records found. A refused
    // expression finds nothing.
    int found(const std::wstring& e) {
        VARIANT_BOOL flag = VARIANT_FALSE, b = VARIANT_TRUE;
        int n = -1;
        do {
            EXPECT_EQ(S_OK, ada->LocateACERecord(table, Bstr(e).get(), &flag, &b));
            ++n;
        } while (b == VARIANT_TRUE && n <= 500);
        return n;
    }

    // Every `stride`th line of a table in the independent engine's format (count, records,
    // expression) and every refused one: the records found; the lines checked.
    int agreeWith(const wchar_t* file, int stride) {
        std::istringstream lines(readFile(data(file)));
        int n = 0, checked = 0;
        for (std::string line; std::getline(lines, line); ++n) {
            std::string count = line.substr(0, line.find('\t'));
            if (n % stride && count != "ERR") continue;
            std::string text = line.substr(line.rfind('\t') + 1);
            std::wstring e(text.begin(), text.end());
            bool refused = count == "ERR";
            int want = refused ? 0 : std::stoi(count);
            EXPECT_EQ(want, found(e)) << text;
            EXPECT_EQ(!refused, filter(e)) << text; // a refused filter shows every record
            EXPECT_EQ(refused ? 500 : want, found(L".T.")) << text;
            EXPECT_TRUE(filter(L""));
            ++checked;
        }
        return checked;
    }
};

// Of products.tsv every line: a product carries the decimals of both its operands into STR and
// text comparisons.
TEST_F(Expressions, EveryTwentiethLineTheRefusedOnesAndTheProductsCountAsTheIndependentEngine) {
    EXPECT_EQ(118, agreeWith(L"expressions.tsv", 20));
    EXPECT_EQ(9, agreeWith(L"products.tsv", 1));
}

// The names as the independent engine stored them give the count: longer than 8 without the
// trailing blanks (NAME is the 20 bytes after the deleted flag and CUSTNO's 6).
TEST_F(Expressions, AFilterOnTheTrimmedLengthShowsTheLongNames) {
    std::string dbf = readFile(data(L"CUSTOMER.DBF"));
    size_t header = uint8_t(dbf[8]) | uint8_t(dbf[9]) << 8, size = uint8_t(dbf[10]) | uint8_t(dbf[11]) << 8;
    int longer = 0;
    for (size_t at = header; at + size < dbf.size(); at += size)
        longer += dbf.substr(at + 7, 20).find_last_not_of(' ') + 1 > 8;
    EXPECT_TRUE(filter(L"LEN(TRIM(NAME)) > 8"));
    EXPECT_EQ(longer, found(L".T."));
    EXPECT_EQ(166, longer);
}

// Nesting up to 100 deep is taken, deeper refused; a result the engine cannot hold refuses the
// record's evaluation, so nothing is found; out-of-range arguments are answered.
TEST_F(Expressions, HostileExpressionsEndInAnAnswerOrTheExpressionError) {
    auto nots = [](int n) {
        std::wstring e;
        for (int i = 0; i < n; ++i) e += L".NOT. ";
        return e + L"EOF()"; // not a literal, which the parser would fold away
    };
    const std::tuple<std::wstring, bool, int> cases[] = { // the expression, whether taken, the records shown
        {nots(99), true, 500},
        {nots(100), false, 500},
        {L"LEN(REPLICATE(NAME, 2000000000)) > 0", true, 0},
        {L"JOINED + 1000000000000 > JOINED", true, 0},
        {L"LEN(SPACE(-5) + PADL(NAME, -1) + STR(1, 1000000000, 1000000000) + CHR(-1) + "
         L"SUBSTR(NAME, -2000000000, 2000000000) + STUFF(NAME, -7, -7, \"\")) = 296",
         true, 500},
    };
    for (const auto& [expression, taken, shown] : cases) {
        EXPECT_EQ(taken, filter(expression)) << expression.size();
        EXPECT_EQ(shown, found(L".T.")) << expression.size();
        EXPECT_TRUE(filter(L""));
    }
}

} // namespace
