#include "ASPFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP ASPFunctions::GetCounter(BSTR, VARIANT, VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP ASPFunctions::GetFileDate(BSTR, VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP ASPFunctions::ReadTextFile(BSTR, VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP ASPFunctions::ComboListDirectory(BSTR, BSTR, VARIANT, VARIANT *) { return E_NOTIMPL; }

} // namespace zor
