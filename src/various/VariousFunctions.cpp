#include "VariousFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP VariousFunctions::DataExists(BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP VariousFunctions::ExtractDecimal(BSTR, short, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP VariousFunctions::Sleep(double *, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP VariousFunctions::ExtractRubbish(BSTR, BSTR *) { return E_NOTIMPL; }

} // namespace zor
