#pragma once
#include <span>
#include "frame/dispatch.h"

namespace zor {

class EncryptFunctions final : public DispatchObject<_EncryptFunctions> {
public:
    EncryptFunctions() : DispatchObject(L"ZorUtility.EncryptFunctions") {}
    STDMETHODIMP EncryptString(BSTR strStringIn, BSTR strPassword, BSTR *result) override;
    STDMETHODIMP DecryptString(BSTR strStringIn, BSTR strPassword, BSTR *result) override;
    STDMETHODIMP CryptFile(BSTR strFileIn, BSTR strFileOut, BSTR strPassword, VARIANT blnReplace, VARIANT_BOOL *result) override;

private:
    // The per-code transform of one block of a file, with the key stream from its start.
    static void CryptBuffer(std::span<unsigned char> block, std::wstring_view password);
};

} // namespace zor
