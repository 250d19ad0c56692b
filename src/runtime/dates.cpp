#include "runtime/dates.h"
#include <cmath>
#include "runtime/errors.h"

namespace zor {

namespace {
// Day 0 of the Date type (1899-12-30) counted from 1970-01-01.
constexpr long dateEpoch = -25569;
constexpr int firstYear = 100, lastYear = 9999;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (era arithmetic over
// 400-year cycles of 146097 days, years starting in March).
long daysFromCivil(long y, long m, long d) {
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CalendarDate civilFromDays(long z) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    return {year, month, day};
}

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isGregorianLeapYear(year) ? 29 : days[month - 1];
}
} // namespace

bool isGregorianLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool isValidDate(int year, int month, int day) {
    return year >= firstYear && year <= lastYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

DATE makeDate(int year, int month, int day) {
    if (!isValidDate(year, month, day)) throw Error(errIllegalCall);
    return static_cast<DATE>(daysFromCivil(year, month, day) - dateEpoch);
}

CalendarDate calendarDate(DATE date) {
    static const double first = makeDate(firstYear, 1, 1), last = makeDate(lastYear, 12, 31) + 1;
    if (!(date > first - 1 && date < last)) throw Error(errIllegalCall);
    // Before day 0 the fraction still counts forward from the day's midnight: -1.25 is
    // 1899-12-29 06:00, so the day is the value truncated toward zero.
    return civilFromDays(static_cast<long>(std::trunc(date)) + dateEpoch);
}

} // namespace zor
