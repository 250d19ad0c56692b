// The leading-number conversion.
#include <gtest/gtest.h>
#include "runtime/errors.h"
#include "runtime/leadingnumber.h"
#include "runtime/text.h"
#include "scratch.h"

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
    struct Case {
        const wchar_t* text;
        double value;
    } cases[] = {{L"", 0},          {L"abc", 0},        {L"42", 42},         {L"  41 visitors", 41},
                 {L"1 2 3", 123},   {L"\t\n7", 7},      {L"12.5", 12.5},     {L"1.2.3", 1.2},
                 {L"-5", -5},       {L"+5", 5},         {L"- 5", -5},        {L"1e3", 1000},
                 {L"1.5D2", 150},   {L"2E-1", 0.2},     {L"3e", 3},          {L"3e+", 3},
                 {L".5", 0.5},      {L".", 0},          {L"-", 0},           {L"&H10", 16},
                 {L"&hff", 255},    {L"&HFFFF", -1},    {L"&H8000", -32768}, {L"&H10000", 65536},
                 {L"&HFFFFFFFF", -1}, {L"&O17", 15},    {L"&o8", 0},         {L"&X1", 0},
                 {L"\r42", 0},      {L"4\r2", 4},       {L"0042", 42},       {L"1,000", 1}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(c.value, zor::leadingNumber(c.text)) << zor::toAnsi(c.text);
}

TEST(LeadingNumber, HexadecimalBeyond32BitsIsAnOverflow) {
    EXPECT_EQ(6, test::errorOf([] { zor::leadingNumber(L"&H100000000"); }));
    EXPECT_EQ(6, test::errorOf([] { zor::leadingNumber(L"1e999"); }));
}
