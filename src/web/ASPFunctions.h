#pragma once
#include "frame/dispatch.h"

namespace zor {

class ASPFunctions final : public DispatchObject<_ASPFunctions> {
public:
    ASPFunctions() : DispatchObject(L"ZorUtility.ASPFunctions") {}
    STDMETHODIMP GetCounter(BSTR strFilename, VARIANT blnIncrement, VARIANT *result) override;
    STDMETHODIMP GetFileDate(BSTR strFilePathAndName, VARIANT *result) override;
    STDMETHODIMP ReadTextFile(BSTR strFilename, VARIANT *result) override;
    STDMETHODIMP ComboListDirectory(BSTR strComboName, BSTR strDirectory, VARIANT blnExtension, VARIANT *result) override;
};

} // namespace zor
