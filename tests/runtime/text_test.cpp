#include <gtest/gtest.h>
#include <windows.h>
#include "runtime/text.h"

namespace {

TEST(Text, AsciiCodesAreTheirOwn) {
    for (wchar_t c = 0; c < 128; ++c) {
        EXPECT_EQ(c, zor::ansiCode(c));
        EXPECT_EQ(c, zor::ansiChar(static_cast<unsigned char>(c)));
    }
}

TEST(Text, EveryCodeOfTheCodePageRoundTrips) {
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(code, zor::ansiCode(zor::ansiChar(static_cast<unsigned char>(code)))) << code;
}

TEST(Text, CodesAreThoseOfTheSystemCodePage) {
    // Compared with the platform's own conversion of each character.
    for (wchar_t c : {L'\u00e9', L'\u00ff', L'\u20ac', L'\u00a0', L'\u0153'}) {
        char b = 0;
        BOOL lost = FALSE;
        int n = WideCharToMultiByte(CP_ACP, 0, &c, 1, &b, 1, nullptr, &lost);
        ASSERT_EQ(1, n);
        EXPECT_EQ(static_cast<unsigned char>(b), zor::ansiCode(c)) << static_cast<int>(c);
    }
    if (GetACP() == 1252) {
        EXPECT_EQ(233, zor::ansiCode(L'\u00e9'));
        EXPECT_EQ(128, zor::ansiCode(L'\u20ac'));
        EXPECT_EQ(L'\u20ac', zor::ansiChar(128));
        EXPECT_EQ('?', zor::ansiCode(L'\u4e00')); // no code in this page
        // Characters the page lacks are not replaced by a look-alike that has a code.
        for (wchar_t c : {L'\u0100', L'\u0131', L'\uff21', L'\uff11', L'\u2010'})
            EXPECT_EQ('?', zor::ansiCode(c)) << static_cast<int>(c);
    }
}

} // namespace
