#pragma once
#include "frame/dispatch.h"

namespace zor {

class VariousFunctions final : public DispatchObject<_VariousFunctions> {
public:
    VariousFunctions() : DispatchObject(L"ZorUtility.VariousFunctions") {}
    STDMETHODIMP DataExists(BSTR strData, VARIANT_BOOL *result) override;
    STDMETHODIMP ExtractDecimal(BSTR strIN, short intDecimals, BSTR *result) override;
    STDMETHODIMP Sleep(double *Seconds, VARIANT_BOOL *result) override;
    STDMETHODIMP ExtractRubbish(BSTR strIN, BSTR *result) override;
};

} // namespace zor
