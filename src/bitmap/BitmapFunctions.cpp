#include "BitmapFunctions.h"

namespace zor {

// Not built yet: every method answers E_NOTIMPL.
STDMETHODIMP BitmapFunctions::TransparentBit(LONG *, LONG *, LONG *, LONG *, LONG *, LONG *, LONG *, LONG *, LONG *, VARIANT_BOOL *) { return E_NOTIMPL; }

} // namespace zor
