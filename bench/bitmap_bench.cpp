// TransparentBit of a 512 x 512 image against one plain BitBlt of the same rectangle between
// the same two contexts, in one run. TransparentBit makes five transfers and builds two masks,
// so its time is held to at most six BitBlts. Reaches the library through the registered DLL.
#include <initguid.h>
#include <windows.h>
#include <oleauto.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "ZorUtility.h"
#include "timing.h"

namespace {

// A 32-bit DIB section in a memory context, filled with a pattern that has the transparent
// colour in about one pixel of four.
HDC image(int size, bool withTransparent) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    auto* p = static_cast<DWORD*>(bits);
    for (int i = 0; i < size * size; ++i) p[i] = withTransparent && i % 4 == 0 ? 0xFF00FF : (i * 2654435761u) & 0xFFFFFF;
    return dc;
}

// The median time of a step over several runs.
template <class F>
double median(int runs, F step) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        double t0 = now();
        step();
        GdiFlush();
        t.push_back(now() - t0);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    _BitmapFunctions* bf = nullptr;
    if (FAILED(CoCreateInstance(CLSID_BitmapFunctions, nullptr, CLSCTX_INPROC_SERVER, IID__BitmapFunctions,
                                reinterpret_cast<void**>(&bf)))) {
        std::fprintf(stderr, "cannot create the class: is the DLL registered?\n");
        return 1;
    }
    const int size = 512, runs = 41;
    HDC source = image(size, true), dest = image(size, false);
    LONG d = static_cast<LONG>(reinterpret_cast<intptr_t>(dest)), s = static_cast<LONG>(reinterpret_cast<intptr_t>(source));
    LONG zero = 0, n = size, colour = 0xFF00FF;
    VARIANT_BOOL ok = VARIANT_TRUE;
    auto transparent = [&] {
        VARIANT_BOOL r = VARIANT_FALSE;
        bf->TransparentBit(&d, &zero, &zero, &n, &n, &s, &zero, &zero, &colour, &r);
        if (r != VARIANT_TRUE) ok = VARIANT_FALSE;
    };
    auto plain = [&] { BitBlt(dest, 0, 0, size, size, source, 0, 0, SRCCOPY); };
    // The mask step alone: the one colour-to-monochrome transfer that TransparentBit makes.
    HDC monoDc = CreateCompatibleDC(dest);
    HBITMAP mono = CreateBitmap(size, size, 1, 1, nullptr);
    HGDIOBJ previous = SelectObject(monoDc, mono);
    auto mask = [&] { BitBlt(monoDc, 0, 0, size, size, source, 0, 0, SRCCOPY); };
    transparent(); // warm all up: first calls load what GDI keeps for the process
    plain();
    mask();
    double tTransparent = median(runs, transparent), tPlain = median(runs, plain), tMask = median(runs, mask);
    std::printf("TransparentBit 512 x 512: %.3f ms (median of %d)%s\n", tTransparent * 1000, runs, ok ? "" : "  FAILED");
    std::printf("BitBlt SRCCOPY 512 x 512 (anchor): %.3f ms (median of %d)\n", tPlain * 1000, runs);
    std::printf("ratio TransparentBit/BitBlt: %.2f (target: at most 6.00)\n", tTransparent / tPlain);
    std::printf("of which the colour-to-monochrome mask transfer alone: %.3f ms, ratio to BitBlt %.2f\n",
                tMask * 1000, tMask / tPlain);
    SelectObject(monoDc, previous);
    DeleteObject(mono);
    DeleteDC(monoDc);
    bf->Release();
    CoUninitialize();
    return ok ? 0 : 1;
}
