#include "client.h"
#include "runtime/dates.h"

using namespace test;

namespace {

ComPtr<_DateFunctions> dates() { return create<_DateFunctions>(L"DateFunctions"); }

TEST(GetLastDayInMonth, MonthLengthsAcrossTheCenturyRules) {
    struct Case {
        int y, m, d;
        double time;
        short want;
    };
    const Case cases[] = {
        {2023, 1, 1, 0, 31},      {2023, 1, 31, 0.5, 31},  {2023, 4, 15, 0, 30},    {2023, 6, 30, 0, 30},
        {2023, 9, 1, 0, 30},      {2023, 11, 11, 0, 30},   {2023, 3, 3, 0, 31},     {2023, 5, 5, 0, 31},
        {2023, 7, 7, 0, 31},      {2023, 8, 8, 0, 31},     {2023, 10, 10, 0, 31},   {1999, 12, 31, 0, 31},
        {1998, 2, 15, 0, 28},     {2000, 2, 1, 0, 29},     {1996, 2, 29, 0.9993, 29}, {1900, 2, 10, 0, 28},
        {2100, 2, 1, 0, 28},      {1600, 2, 1, 0, 29},     {2400, 2, 28, 0, 29},    {1700, 2, 1, 0, 28},
        {2024, 2, 1, 0, 29},      {1899, 12, 1, 0.25, 31}, {1899, 2, 1, 0.75, 28},  {100, 2, 1, 0, 28},
        {104, 2, 1, 0, 29},       {9999, 12, 1, 0, 31},    {9996, 2, 1, 0, 29},
    };
    auto df = dates();
    for (const auto& c : cases) {
        double day = zor::makeDate(c.y, c.m, c.d);
        double date = day >= 0 ? day + c.time : day - c.time; // before 1899-12-30 the fraction counts too
        Call call;
        Args args{vdate(date)};
        invoke(call, df.get(), L"GetLastDayInMonth", args);
        ASSERT_EQ(S_OK, call.hr);
        ASSERT_EQ(VT_I2, V_VT(&call.result.get()));
        EXPECT_EQ(c.want, V_I2(&call.result.get())) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(GetLastDayInMonth, DateOutsideTheTypeGivesZeroWithoutError) {
    auto df = dates();
    for (double bad : {1e10, -1e10, 2958466.0}) {
        short result = 99;
        EXPECT_EQ(S_OK, df->GetLastDayInMonth(bad, &result));
        EXPECT_EQ(0, result);
    }
}

TEST(IsLeapYear, EveryFourthYearWithoutTheCenturyRule) {
    struct Case {
        short year;
        bool want;
    };
    const Case cases[] = {{1996, true}, {2000, true}, {1997, false}, {1900, true}, {2100, true},  {0, true},
                          {-4, true},   {-1, false},  {32767, false}, {-32768, true}, {1998, false}, {-2, false}};
    auto df = dates();
    for (const auto& c : cases) {
        Call call;
        Args args{vi2(c.year)};
        invoke(call, df.get(), L"IsLeapYear", args);
        ASSERT_EQ(S_OK, call.hr);
        ASSERT_EQ(VT_BOOL, V_VT(&call.result.get()));
        EXPECT_EQ(c.want ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(&call.result.get())) << c.year;
    }
}

TEST(IsLeapYear, SameAnswersWithACommaAsDecimalSeparator) {
    wchar_t saved[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved, 8);
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
    auto df = dates();
    VARIANT_BOOL leap1996 = 0, leap1997 = 0, leap1998 = 0;
    df->IsLeapYear(1996, &leap1996);
    df->IsLeapYear(1997, &leap1997);
    df->IsLeapYear(1998, &leap1998);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved);
    EXPECT_EQ(VARIANT_TRUE, leap1996);
    EXPECT_EQ(VARIANT_FALSE, leap1997);
    EXPECT_EQ(VARIANT_FALSE, leap1998);
}

} // namespace
