// Calendar dates of the automation Date type (OLE DATE): days since 1899-12-30 as a double, the
// time of day as the fraction. The type covers the years 100 to 9999 of the Gregorian calendar,
// applied throughout (no Julian dates before 1582).
#pragma once
#include <windows.h>
#include <oleauto.h>

namespace zor {

struct CalendarDate {
    int year;
    int month;
    int day;
};

// Gregorian rule: every fourth year, except centuries that are not divisible by 400.
bool isGregorianLeapYear(int year);

// Whether year-month-day is a date of the automation Date type.
bool isValidDate(int year, int month, int day);

// The date year-month-day at midnight; error 5 when it is not a valid date.
DATE makeDate(int year, int month, int day);

// The calendar date of a Date value, its time of day ignored; error 5 outside the type's range.
CalendarDate calendarDate(DATE date);

} // namespace zor
