#pragma once
#include "frame/dispatch.h"

namespace zor {

class DateFunctions final : public DispatchObject<_DateFunctions> {
public:
    DateFunctions() : DispatchObject(L"ZorUtility.DateFunctions") {}
    STDMETHODIMP GetLastDayInMonth(DATE dteDate, short *result) override;
    STDMETHODIMP IsLeapYear(short intYear, VARIANT_BOOL *result) override;
};

} // namespace zor
