#include "various/DateFunctions.h"
#include "runtime/dates.h"

namespace zor {

// Tries the day numbers 29 to 32 in the month of dteDate; the day before the first that is no
// date is the last day of the month. A Date outside the type's range has no month: result 0.
STDMETHODIMP DateFunctions::GetLastDayInMonth(DATE dteDate, short* result) {
    return trapped(result, short(0), [&] {
        CalendarDate date = calendarDate(dteDate);
        short day = 28;
        while (isValidDate(date.year, date.month, day + 1)) ++day;
        return day;
    });
}

// The plain every-fourth-year rule, without the century exceptions of the calendar.
STDMETHODIMP DateFunctions::IsLeapYear(short intYear, VARIANT_BOOL* result) {
    return untrapped(result, [&] { return intYear % 4 == 0; });
}

} // namespace zor
