#pragma once
#include "frame/dispatch.h"

namespace zor {

class BitmapFunctions final : public DispatchObject<_BitmapFunctions> {
public:
    BitmapFunctions() : DispatchObject(L"ZorUtility.BitmapFunctions") {}
    STDMETHODIMP TransparentBit(LONG *hDestDC, LONG *nDestX, LONG *nDestY, LONG *nWidth, LONG *nHeight, LONG *hSourceDC, LONG *nSourceX, LONG *nSourceY, LONG *lTransColor, VARIANT_BOOL *result) override;
};

} // namespace zor
