// Space trimming and the ANSI code page: conversions and character codes.
#include <gtest/gtest.h>
#include <windows.h>
#include "frame/values.h"
#include "runtime/text.h"

namespace {

TEST(Text, TrimmingRemovesSpacesOnly) {
    struct Case {
        const wchar_t *in, *both, *left, *right;
    } cases[] = {{L"", L"", L"", L""},
                 {L"   ", L"", L"", L""},
                 {L" a b ", L"a b", L"a b ", L" a b"},
                 {L"\ta\t", L"\ta\t", L"\ta\t", L"\ta\t"},
                 {L"\x00A0x ", L"\x00A0x", L"\x00A0x ", L"\x00A0x"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.both, std::wstring(zor::trimSpaces(c.in)));
        EXPECT_EQ(c.left, std::wstring(zor::trimLeftSpaces(c.in)));
        EXPECT_EQ(c.right, std::wstring(zor::trimRightSpaces(c.in)));
    }
}

TEST(Text, AnsiConversionUsesTheSystemCodePage) {
    ASSERT_EQ(1252u, GetACP()) << "the test prefix runs with the Western code page";
    EXPECT_EQ(std::string("Caf\xE9"), zor::toAnsi(L"Caf\x00E9"));
    EXPECT_EQ(std::wstring(L"Caf\x00E9"), zor::fromAnsi("Caf\xE9"));
    EXPECT_EQ(std::string("\x80"), zor::toAnsi(L"\x20AC")); // the euro sign
    EXPECT_EQ(std::string("a\0b", 3), zor::toAnsi(std::wstring(L"a\0b", 3)));
    EXPECT_EQ(std::string("?"), zor::toAnsi(L"\x4E2D")) << "unmappable characters become '?'";
    EXPECT_EQ(L"", zor::fromAnsi(""));
    EXPECT_EQ(L"-12", zor::decimal(-12));
}

// ASCII codes are their own characters.
TEST(Text, EveryCodeOfTheCodePageRoundTrips) {
    for (int code = 0; code < 256; ++code) {
        const wchar_t c = zor::ansiChar(static_cast<unsigned char>(code));
        EXPECT_EQ(code, zor::ansiCode(c)) << code;
        EXPECT_TRUE(code >= 128 || c == code) << code;
    }
}

TEST(Text, CodesAreThoseOfTheSystemCodePage) {
    // Compared with the platform's own conversion of each character.
    for (wchar_t c : {L'\u00e9', L'\u00ff', L'\u20ac', L'\u00a0', L'\u0153'}) {
        char b = 0;
        ASSERT_EQ(1, WideCharToMultiByte(CP_ACP, 0, &c, 1, &b, 1, nullptr, nullptr));
        EXPECT_EQ(static_cast<unsigned char>(b), zor::ansiCode(c)) << static_cast<int>(c);
    }
    EXPECT_EQ(L'\u20ac', zor::ansiChar(128));
    // Characters the page lacks have no code, and are not replaced by a look-alike that has one.
    for (wchar_t c : {L'\u4e00', L'\u0100', L'\u0131', L'\uff21', L'\uff11', L'\u2010'})
        EXPECT_EQ('?', zor::ansiCode(c)) << static_cast<int>(c);
}

} // namespace
