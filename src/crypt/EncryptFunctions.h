#pragma once
#include "../frame/dispatch.h"

namespace zor {

class EncryptFunctions final : public DispatchObject<_EncryptFunctions> {
public:
    EncryptFunctions() : DispatchObject(L"ZorUtility.EncryptFunctions") {}
    STDMETHODIMP EncryptString(BSTR strStringIn, BSTR strPassword, BSTR *result) override;
    STDMETHODIMP DecryptString(BSTR strStringIn, BSTR strPassword, BSTR *result) override;
    STDMETHODIMP CryptFile(BSTR strFileIn, BSTR strFileOut, BSTR strPassword, VARIANT blnReplace, VARIANT_BOOL *result) override;
};

} // namespace zor
