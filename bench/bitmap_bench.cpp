// TransparentBit of a 512 x 512 image against the platform's TransparentBlt (msimg32) and one
// plain BitBlt of the same rectangle between the same two contexts, on 32-bit and on 24-bit DIB
// sections, in one run. Reaches the library through the registered DLL.
#include <initguid.h>
#include <windows.h>
#include <oleauto.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>
#include "ZorUtility.h"
#include "timing.h"

namespace {

// A DIB section in a memory context (top-down for a negative height), filled with a pattern that
// has the transparent colour in about one pixel of four.
HDC image(int size, int height, int bits, bool withTransparent) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, height, 1, static_cast<WORD>(bits), BI_RGB};
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    const int stride = (size * bits + 31) / 32 * 4;
    for (int y = 0, i = 0; y < size; ++y)
        for (int x = 0; x < size; ++x, ++i) {
            DWORD p = withTransparent && i % 4 == 0 ? 0xFF00FF : (i * 2654435761u) & 0xFFFFFF;
            std::memcpy(static_cast<BYTE*>(pixels) + y * stride + x * bits / 8, &p, bits / 8);
        }
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
    bool ok = true;
    // 32 bits top-down, 24 bits bottom-up: the two row orders and both pixel sizes.
    for (auto [bits, target] : {std::pair{32, 0.25}, std::pair{24, 0.5}}) {
        const int height = bits == 32 ? -size : size;
        HDC source = image(size, height, bits, true), dest = image(size, height, bits, false);
        LONG d = static_cast<LONG>(reinterpret_cast<intptr_t>(dest)), s = static_cast<LONG>(reinterpret_cast<intptr_t>(source));
        LONG zero = 0, n = size, colour = 0xFF00FF;
        auto transparent = [&] {
            VARIANT_BOOL r = VARIANT_FALSE;
            bf->TransparentBit(&d, &zero, &zero, &n, &n, &s, &zero, &zero, &colour, &r);
            if (r != VARIANT_TRUE) ok = false;
        };
        auto platform = [&] {
            if (!TransparentBlt(dest, 0, 0, size, size, source, 0, 0, size, size, colour)) ok = false;
        };
        auto plain = [&] { BitBlt(dest, 0, 0, size, size, source, 0, 0, SRCCOPY); };
        transparent(); // warm all up: first calls load what GDI keeps for the process
        platform();
        plain();
        double tTransparent = median(runs, transparent), tPlatform = median(runs, platform), tPlain = median(runs, plain);
        std::printf("%d-bit DIB sections, 512 x 512, median of %d: TransparentBit %.3f ms, TransparentBlt (anchor) %.3f ms, "
                    "BitBlt SRCCOPY %.3f ms\n", bits, runs, tTransparent * 1000, tPlatform * 1000, tPlain * 1000);
        std::printf("ratio TransparentBit/TransparentBlt %d-bit: %.3f (target: at most %.2f)\n", bits,
                    tTransparent / tPlatform, target);
        // Six BitBlts: the bound the mask transfers were held to, on 32 bits.
        std::printf("ratio TransparentBit/BitBlt %d-bit: %.2f%s\n", bits, tTransparent / tPlain,
                    bits == 32 ? " (target: at most 6.00)" : "");
        for (HDC dc : {source, dest}) {
            HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
            DeleteDC(dc);
            DeleteObject(bitmap);
        }
    }
    if (!ok) std::printf("FAILED: a transfer reported failure\n");
    bf->Release();
    CoUninitialize();
    return ok ? 0 : 1;
}
