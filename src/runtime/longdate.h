// A date in the long date pattern of the current user's regional settings (weekday and month
// names as those settings spell them, no time), as the platform's date formatting gives it.
#pragma once
#include <windows.h>
#include <string>
#include "runtime/errors.h"

namespace zor {

inline std::wstring longDate(const SYSTEMTIME& date) {
    wchar_t buffer[256];
    int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &date, nullptr, buffer, 256);
    if (n <= 0) throw Error(errIllegalCall);
    return std::wstring(buffer, static_cast<size_t>(n - 1));
}

} // namespace zor
