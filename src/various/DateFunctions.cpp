#include "DateFunctions.h"
#include "runtime/dates.h"

namespace zor {

// Tries the day numbers 28 to 32 in the month of dteDate; the first that is no date ends the
// trial in the trap, and the day before it is the last day of the month.
STDMETHODIMP DateFunctions::GetLastDayInMonth(DATE dteDate, short* result) {
    if (!result) return E_POINTER;
    short day = 0;
    return trapped(
        [&] {
            CalendarDate date = calendarDate(dteDate);
            for (day = 28; day <= 32; ++day) makeDate(date.year, date.month, day);
        },
        // A Date outside the type's range fails before the trial: no month, result 0.
        [&] { *result = day ? static_cast<short>(day - 1) : 0; });
}

// The plain every-fourth-year rule, without the century exceptions of the calendar.
STDMETHODIMP DateFunctions::IsLeapYear(short intYear, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    return untrapped([&] { *result = vbool(intYear % 4 == 0); });
}

} // namespace zor
