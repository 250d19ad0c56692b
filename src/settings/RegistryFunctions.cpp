#include "RegistryFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP RegistryFunctions::SaveRegSetting(BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP RegistryFunctions::DeleteRegSetting(BSTR, BSTR, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP RegistryFunctions::GetRegSetting(BSTR, BSTR, BSTR, VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP RegistryFunctions::GetAllRegSettings(BSTR, BSTR, VARIANT *) { return E_NOTIMPL; }

} // namespace zor
