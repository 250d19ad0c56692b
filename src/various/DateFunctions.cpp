#include "DateFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP DateFunctions::GetLastDayInMonth(DATE, short *) { return E_NOTIMPL; }
STDMETHODIMP DateFunctions::IsLeapYear(short, VARIANT_BOOL *) { return E_NOTIMPL; }

} // namespace zor
