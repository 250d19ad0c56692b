#include "runtime/screen.h"

namespace zor {

TwipSize screenSizeInTwips() {
    HDC screen = GetDC(nullptr);
    int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    if (dpiX <= 0) dpiX = 96; // no screen to ask: the usual 15 twips to a pixel
    if (dpiY <= 0) dpiY = 96;
    return {GetSystemMetrics(SM_CXSCREEN) * (1440.0 / dpiX), GetSystemMetrics(SM_CYSCREEN) * (1440.0 / dpiY)};
}

} // namespace zor
