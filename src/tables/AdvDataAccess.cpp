#include "AdvDataAccess.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP AdvDataAccess::OpenACETable(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::CloseACETable(LONG *, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::OpenACEIndex(LONG, BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::CloseACEIndex(LONG *, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::SeekACERecord(LONG, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::ApplyACEFilter(LONG, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::CloseAllACEConnections(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP AdvDataAccess::LocateACERecord(LONG, BSTR, VARIANT_BOOL *, VARIANT_BOOL *) { return E_NOTIMPL; }

} // namespace zor
