#include <gtest/gtest.h>
#include "runtime/dates.h"
#include "runtime/errors.h"
#include "scratch.h"

using zor::CalendarDate;

namespace {

TEST(Dates, GregorianLeapYears) {
    for (int y : {4, 1600, 1996, 2000, 2004, 2400, 9996}) EXPECT_TRUE(zor::isGregorianLeapYear(y)) << y;
    for (int y : {100, 1700, 1800, 1900, 1997, 2100, 2200, 2300, 9999}) EXPECT_FALSE(zor::isGregorianLeapYear(y)) << y;
}

TEST(Dates, Validity) {
    struct Case {
        int y, m, d;
        bool valid;
    };
    const Case cases[] = {
        {1998, 2, 28, true},  {1998, 2, 29, false}, {2000, 2, 29, true},  {1900, 2, 29, false},
        {2100, 2, 29, false}, {1600, 2, 29, true},  {1996, 2, 29, true},  {1996, 2, 30, false},
        {2024, 4, 30, true},  {2024, 4, 31, false}, {2024, 1, 31, true},  {2024, 1, 32, false},
        {2024, 0, 1, false},  {2024, 13, 1, false}, {2024, 6, 0, false},  {100, 1, 1, true},
        {99, 12, 31, false},  {9999, 12, 31, true}, {10000, 1, 1, false}, {1582, 10, 10, true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.valid, zor::isValidDate(c.y, c.m, c.d)) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Dates, MakeDateGivesTheDayNumbersOfTheDateType) {
    struct Case {
        int y, m, d;
        double day;
    };
    // Day 0 is 1899-12-30; the others as the platform's own conversion gives them.
    const Case cases[] = {
        {1899, 12, 30, 0}, {1899, 12, 31, 1}, {1900, 1, 1, 2}, {1899, 12, 29, -1}, {1900, 3, 1, 61},
        {2000, 1, 1, 36526}, {1970, 1, 1, 25569}, {100, 1, 1, -657434}, {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.day, zor::makeDate(c.y, c.m, c.d)) << c.y << "-" << c.m << "-" << c.d;
        SYSTEMTIME st{static_cast<WORD>(c.y), static_cast<WORD>(c.m), 0, static_cast<WORD>(c.d), 0, 0, 0, 0};
        double platform = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&st, &platform));
        EXPECT_EQ(platform, zor::makeDate(c.y, c.m, c.d));
    }
}

TEST(Dates, CalendarDateIgnoresTheTimeOfDay) {
    struct Case {
        double date;
        CalendarDate want;
    };
    const Case cases[] = {
        {0.0, {1899, 12, 30}},       {0.999, {1899, 12, 30}},     {-0.5, {1899, 12, 30}},
        {-1.0, {1899, 12, 29}},      {-1.25, {1899, 12, 29}},     {-1.99, {1899, 12, 29}},
        {35124.0, {1996, 2, 29}},    {35124.99930555, {1996, 2, 29}}, {36585.0, {2000, 2, 29}},
        {-657434.9, {100, 1, 1}},    {2958465.99, {9999, 12, 31}},
    };
    for (const auto& c : cases) {
        const CalendarDate d = zor::calendarDate(c.date);
        EXPECT_EQ((std::vector<int>{c.want.year, c.want.month, c.want.day}), (std::vector<int>{d.year, d.month, d.day}))
            << c.date;
    }
}

TEST(Dates, EveryDayRoundTripsThroughItsCalendarDate) {
    // Four centuries cover every case of the leap-year rule.
    for (long n = -1000; n < 146097 + 1000; ++n) {
        CalendarDate d = zor::calendarDate(static_cast<double>(n));
        ASSERT_TRUE(zor::isValidDate(d.year, d.month, d.day)) << n;
        ASSERT_EQ(static_cast<double>(n), zor::makeDate(d.year, d.month, d.day)) << n;
    }
}

// Error 5 for a date that does not exist and for a day number outside the type.
TEST(Dates, InvalidDatesAndValuesOutsideTheTypeAreRefused) {
    EXPECT_EQ(5, test::errorOf([] { zor::makeDate(2023, 2, 29); }));
    for (double v : {-657435.0, 2958466.0, 1e10, -1e10})
        EXPECT_EQ(5, test::errorOf([v] { zor::calendarDate(v); })) << v;
}

} // namespace
