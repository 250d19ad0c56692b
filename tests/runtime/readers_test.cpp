#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "runtime/errors.h"
#include "runtime/readers.h"
#include "scratch.h"

using zor::TextReader;

namespace {

std::vector<std::wstring> allLines(const std::wstring& text) {
    TextReader r(text);
    std::vector<std::wstring> out;
    while (!r.atEnd()) out.emplace_back(r.line());
    return out;
}

std::vector<std::wstring> allFields(const std::wstring& text) {
    TextReader r(text);
    std::vector<std::wstring> out;
    while (!r.atEnd()) out.emplace_back(r.field());
    return out;
}

long readError(void (*f)(TextReader&), const std::wstring& text) {
    TextReader r(text);
    return test::errorOf([&] { f(r); });
}

using Lines = std::vector<std::wstring>;

} // namespace

struct ReaderCase {
    const wchar_t* text;
    Lines expected;
};

TEST(LineReader, SplitsAtCrLfAndLoneCrAndKeepsLoneLf) {
    const ReaderCase cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a\r\n", {L"a"}},
        {L"a\r\nb", {L"a", L"b"}},
        {L"one\r\n\r\nthree\r\n", {L"one", L"", L"three"}},
        {L"a\rb\r", {L"a", L"b"}},
        {L"a\nb\r\n", {L"a\nb"}},
        {L"a\n", {L"a\n"}},
        {L"\r\n\r\n", {L"", L""}},
        {L"\r\r\n", {L"", L""}},
        {L"x,\"y\"  ", {L"x,\"y\"  "}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, allLines(c.text)) << "text: " << testing::PrintToString(std::wstring(c.text));
}

TEST(FieldReader, SplitsAtCommasAndLineEndsAndUnquotes) {
    const ReaderCase cases[] = {
        {L"", {}},
        {L"a,b\r\nc", {L"a", L"b", L"c"}},
        {L"\"x\"", {L"x"}},
        {L"\"x\"\r\n", {L"x"}},
        {L"  a , b", {L"a ", L"b"}},
        {L"\"a,b\" tail,c", {L"a,b", L"c"}},
        {L"\"line\r\nbreak\"\r\nz", {L"line\r\nbreak", L"z"}},
        {L"\"open", {L"open"}},
        {L"a\nb", {L"a", L"b"}},
        {L"a\rb", {L"a", L"b"}},
        {L"\r\n\r\nx", {L"", L"", L"x"}},
        {L"a,,b", {L"a", L"", L"b"}},
        {L"a,", {L"a"}},
        {L"Disk Error, retry\r\n", {L"Disk Error", L"retry"}},
        {L"\ttab", {L"\ttab"}},
        {L"\"\",x", {L"", L"x"}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, allFields(c.text)) << "text: " << testing::PrintToString(std::wstring(c.text));
}

TEST(Readers, ReadingAtTheEndIsInputPastEndOfFile) {
    EXPECT_EQ(62, readError([](TextReader& r) { r.line(); }, L""));
    EXPECT_EQ(62, readError([](TextReader& r) { r.field(); }, L""));
    EXPECT_EQ(62, readError([](TextReader& r) { r.line(); r.line(); }, L"a\r\n"));
    EXPECT_EQ(62, readError([](TextReader& r) { r.field(); r.field(); }, L"a,"));
    EXPECT_EQ(0, readError([](TextReader& r) { r.field(); r.field(); }, L"a,b"));
}
