#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>
#include "runtime/errors.h"
#include "runtime/readers.h"
#include "scratch.h"

using zor::TextReader;

namespace {

// The cases are ASCII, so each runs over UTF-16 text and over ANSI bytes alike.
std::string bytes(const std::wstring& w) { return std::string(w.begin(), w.end()); }
std::wstring wide(std::string_view b) { return std::wstring(b.begin(), b.end()); }

template <bool Lines>
std::vector<std::wstring> readAll(const std::wstring& text, bool ansi) {
    std::vector<std::wstring> out;
    if (ansi) {
        zor::AnsiReader r(bytes(text));
        while (!r.atEnd()) out.push_back(wide(Lines ? r.line() : r.field()));
    } else {
        TextReader r(text);
        while (!r.atEnd()) out.emplace_back(Lines ? r.line() : r.field());
    }
    return out;
}

long readError(void (*f)(TextReader&), const std::wstring& text) {
    TextReader r(text);
    return test::errorOf([&] { f(r); });
}

using Lines = std::vector<std::wstring>;

} // namespace

// A text's lines (CR LF and lone CR end a line, a lone LF does not) and its fields (commas and
// every line end part them, leading spaces go, quotes are taken off and guard what they hold).
struct ReaderCase {
    const wchar_t* text;
    Lines lines, fields;
} const readerCases[] = {
    {L"", {}, {}},
    {L"a", {L"a"}, {L"a"}},
    {L"a\r\n", {L"a"}, {L"a"}},
    {L"a\r\nb", {L"a", L"b"}, {L"a", L"b"}},
    {L"one\r\n\r\nthree\r\n", {L"one", L"", L"three"}, {L"one", L"", L"three"}},
    {L"a\rb\r", {L"a", L"b"}, {L"a", L"b"}},
    {L"a\nb\r\n", {L"a\nb"}, {L"a", L"b"}},
    {L"a\n", {L"a\n"}, {L"a"}},
    {L"\r\n\r\n", {L"", L""}, {L"", L""}},
    {L"\r\r\n", {L"", L""}, {L"", L""}},
    {L"x,\"y\"  ", {L"x,\"y\"  "}, {L"x", L"y"}},
    {L"a,b\r\nc", {L"a,b", L"c"}, {L"a", L"b", L"c"}},
    {L"\"x\"", {L"\"x\""}, {L"x"}},
    {L"\"x\"\r\n", {L"\"x\""}, {L"x"}},
    {L"  a , b", {L"  a , b"}, {L"a ", L"b"}},
    {L"\"a,b\" tail,c", {L"\"a,b\" tail,c"}, {L"a,b", L"c"}},
    {L"\"line\r\nbreak\"\r\nz", {L"\"line", L"break\"", L"z"}, {L"line\r\nbreak", L"z"}},
    {L"\"line\r\nbreak\" tail,z\r\n", {L"\"line", L"break\" tail,z"}, {L"line\r\nbreak", L"z"}},
    {L"\"open", {L"\"open"}, {L"open"}},
    {L"a\nb", {L"a\nb"}, {L"a", L"b"}},
    {L"a\rb", {L"a", L"b"}, {L"a", L"b"}},
    {L"\r\n\r\nx", {L"", L"", L"x"}, {L"", L"", L"x"}},
    {L"a,,b", {L"a,,b"}, {L"a", L"", L"b"}},
    {L"a,,b,", {L"a,,b,"}, {L"a", L"", L"b"}},
    {L"a,", {L"a,"}, {L"a"}},
    {L"Disk Error, retry\r\n", {L"Disk Error, retry"}, {L"Disk Error", L"retry"}},
    {L"\ttab", {L"\ttab"}, {L"\ttab"}},
    {L"\"\",x", {L"\"\",x"}, {L"", L"x"}},
    {L"\"\",x\r\n\r\n", {L"\"\",x", L""}, {L"", L"x", L""}},
    {L"\"x, y\" z,w\r\n", {L"\"x, y\" z,w"}, {L"x, y", L"w"}},
    {L"  a , b\n\"q\"", {L"  a , b\n\"q\""}, {L"a ", L"b", L"q"}},
    {L"  a , b\n\"q\"\r", {L"  a , b\n\"q\""}, {L"a ", L"b", L"q"}},
    {L"   ", {L"   "}, {L""}},
    {L"Disk Error, retry\r\n\"quoted, text\" after\r\nlone\rcr\nlf\r\nlast line",
     {L"Disk Error, retry", L"\"quoted, text\" after", L"lone", L"cr\nlf", L"last line"},
     {L"Disk Error", L"retry", L"quoted, text", L"lone", L"cr", L"lf", L"last line"}},
};

// joinFields gathers every field in place, one step per field. A FieldStream's small blocks put
// every field, quote, comma and CR LF across a block boundary somewhere.
TEST(Readers, LinesAndFieldsOfUtf16TextAnsiBytesAndFileBlocksAlike) {
    const std::wstring file = test::scratchDir(L"field-stream") + L"log.txt";
    for (const auto& c : readerCases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        for (bool ansi : {false, true}) {
            EXPECT_EQ(c.lines, readAll<true>(c.text, ansi)) << (ansi ? "ansi" : "wide");
            EXPECT_EQ(c.fields, readAll<false>(c.text, ansi)) << (ansi ? "ansi" : "wide");
        }
        std::vector<std::string> fields;
        for (const auto& field : c.fields) fields.push_back(bytes(field));
        size_t steps = 0;
        zor::AnsiReader reader(bytes(c.text));
        EXPECT_EQ(std::accumulate(fields.begin(), fields.end(), std::string()), reader.joinFields([&] { ++steps; }));
        EXPECT_EQ(c.fields.size(), steps);
        EXPECT_TRUE(reader.atEnd());
        test::writeFile(file, bytes(c.text));
        for (size_t block : {1, 2, 3, 5, 7, 64}) {
            zor::FileChannel channel(file, zor::OpenMode::Input);
            zor::FieldStream stream(channel, block);
            std::vector<std::string> got;
            while (!stream.atEnd()) got.emplace_back(stream.field());
            EXPECT_EQ(fields, got) << "block " << block;
            EXPECT_EQ(62, test::errorOf([&] { stream.field(); }));
        }
    }
}

TEST(Readers, ReadingAtTheEndIsInputPastEndOfFile) {
    EXPECT_EQ(62, readError([](TextReader& r) { r.line(); }, L""));
    EXPECT_EQ(62, readError([](TextReader& r) { r.field(); }, L""));
    EXPECT_EQ(62, readError([](TextReader& r) { r.line(); r.line(); }, L"a\r\n"));
    EXPECT_EQ(62, readError([](TextReader& r) { r.field(); r.field(); }, L"a,"));
    EXPECT_EQ(0, readError([](TextReader& r) { r.field(); r.field(); }, L"a,b"));
}

TEST(Readers, DelimitersAreFoundAtEveryOffset) {
    // Bytes are scanned four at a time: put the delimiters at every offset within a word.
    for (size_t n = 0; n < 12; ++n) {
        std::wstring x(n, L'x'), y(n + 1, L'y'), z(n + 2, L'z'), w(n, L'w');
        std::wstring last = L"e" + x;
        std::wstring text = x + L"," + y + L"\r\n" + z + L"\n" + w + L"\r" + last;
        for (bool ansi : {false, true}) {
            EXPECT_EQ((std::vector<std::wstring>{x, y, z, w, last}), readAll<false>(text, ansi)) << n << " ansi " << ansi;
            EXPECT_EQ((std::vector<std::wstring>{x + L"," + y, z + L"\n" + w, last}), readAll<true>(text, ansi)) << n;
        }
    }
}
