#pragma once
#include "frame/dispatch.h"

namespace zor {

class RegistryFunctions final : public DispatchObject<_RegistryFunctions> {
public:
    RegistryFunctions() : DispatchObject(L"ZorUtility.RegistryFunctions") {}
    STDMETHODIMP SaveRegSetting(BSTR strAppName, BSTR strSection, BSTR strKey, BSTR strSetting, VARIANT_BOOL *result) override;
    STDMETHODIMP DeleteRegSetting(BSTR strAppName, BSTR strSection, BSTR strKey, VARIANT_BOOL *result) override;
    STDMETHODIMP GetRegSetting(BSTR strAppName, BSTR strSection, BSTR strKey, VARIANT *result) override;
    STDMETHODIMP GetAllRegSettings(BSTR strAppName, BSTR strSection, VARIANT *result) override;
};

} // namespace zor
