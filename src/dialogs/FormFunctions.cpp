#include "FormFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP FormFunctions::GetUserDetails(BSTR *, BSTR *, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP FormFunctions::DisplayAbout(BSTR, BSTR, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP FormFunctions::DisplayZORAbout(BSTR, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP FormFunctions::GetCalDate(BSTR *) { return E_NOTIMPL; }

} // namespace zor
