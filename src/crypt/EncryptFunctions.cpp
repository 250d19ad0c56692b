#include "EncryptFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP EncryptFunctions::EncryptString(BSTR, BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP EncryptFunctions::DecryptString(BSTR, BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP EncryptFunctions::CryptFile(BSTR, BSTR, BSTR, VARIANT, VARIANT_BOOL *) { return E_NOTIMPL; }

} // namespace zor
