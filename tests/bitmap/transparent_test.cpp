// TransparentBit through the registered library, pixel by pixel on DIB sections in memory
// contexts, and no GDI object left behind on any path.
#include <array>
#include "library.h"

using namespace test;

namespace {

// A DIB section of the given depth selected into a memory context, filled by colourAt(x, y).
// The context goes first and lets the bitmap go with it.
struct Image {
    zor::GdiObject bitmap;
    zor::MemoryDc dc{CreateCompatibleDC(nullptr)};
    template <class F>
    Image(int size, int bits, F colourAt) {
        BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), size, size, 1, static_cast<WORD>(bits), BI_RGB}};
        void* pixels;
        bitmap = zor::GdiObject(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0));
        SelectObject(dc.get(), bitmap.get());
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) SetPixelV(dc.get(), x, y, colourAt(x, y));
    }
    LONG handle() const { return static_cast<LONG>(reinterpret_cast<intptr_t>(dc.get())); }
    COLORREF at(int x, int y) const { return GetPixel(dc.get(), x, y); }
};

constexpr LONG magenta = RGB(255, 0, 255);
COLORREF pattern(int x, int y) { return RGB(x * 9, y * 7, (x ^ y) * 5 + 1); } // never magenta

// Live GDI objects. Wine answers GetGuiResources with 0, but finds a handle by its index alone.
long gdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
    long n = 0;
    for (uintptr_t i = 1; i < 0x10000; ++i) n += GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
    return n;
}

struct TransparentBit : RegisteredLibrary {
    ComPtr<_BitmapFunctions> bf = make<_BitmapFunctions>(L"BitmapFunctions");
    // dest, x, y, width, height, source, x, y, colour; no argument may change.
    VARIANT_BOOL draw(std::array<LONG, 9> a) {
        auto b = a;
        VARIANT_BOOL r = 7;
        EXPECT_EQ(S_OK, bf->TransparentBit(&b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &b[8], &r));
        EXPECT_EQ(a, b);
        return r;
    }
};

} // namespace

TEST_F(TransparentBit, CopiesEveryPixelButTheTransparentOnes) {
    // source depth, destination depth, transparent every nth source pixel (0: none, 1: all)
    const std::array<int, 3> cases[] = {{32, 32, 0}, {32, 32, 1}, {32, 32, 3}, {24, 32, 2}, {32, 24, 5}};
    for (auto [sourceBits, destBits, every] : cases) {
        Image source(16, sourceBits, [&](int x, int y) { return every && (x + y * 16) % every == 0 ? magenta : pattern(x, y); });
        Image dest(20, destBits, [](int x, int y) { return pattern(y + 3, x); });
        SetBkColor(source.dc.get(), 0);
        EXPECT_EQ(VARIANT_TRUE, draw({dest.handle(), 7, 9, 12, 10, source.handle(), 3, 2, magenta}));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                bool inside = x >= 7 && x < 19 && y >= 9 && y < 19;
                COLORREF s = inside ? source.at(x - 4, y - 7) : magenta;
                ASSERT_EQ(s == magenta ? pattern(y + 3, x) : s, dest.at(x, y)) << x << "," << y << " every " << every;
            }
        EXPECT_EQ(COLORREF(magenta), GetBkColor(source.dc.get()));
        EXPECT_EQ(COLORREF(magenta), GetBkColor(dest.dc.get()));
    }
}

TEST_F(TransparentBit, FailuresDrawNothingAndNoCallLeaks) {
    Image source(16, 32, [](int x, int y) { return x < y ? magenta : pattern(x, y); });
    Image dest(16, 32, pattern);
    const LONG bad = 0x0BAD0BAD, s = source.handle(), d = dest.handle();
    std::array<LONG, 9> failing[] = {{0, 0, 0, 16, 16, s, 0, 0, magenta},
                                     {bad, 0, 0, 16, 16, s, 0, 0, magenta},
                                     {d, 0, 0, 16, 16, 0, 0, 0, magenta},
                                     {d, 0, 0, 16, 16, bad, 0, 0, magenta},
                                     {d, 0, 0, 100000, 100000, s, 0, 0, magenta}}; // masks too large to make
    long objects = gdiObjects();
    for (int i = 0; i < 200; ++i) {
        for (const auto& t : failing) ASSERT_EQ(VARIANT_FALSE, draw(t));
        ASSERT_EQ(pattern(3, 3), dest.at(3, 3));
        ASSERT_EQ(VARIANT_TRUE, draw({d, 0, 0, 0, 0, s, 0, 0, 0})) << "an empty rectangle";
        draw({d, 15, 15, -8, -8, s, 8, 8, magenta}); // whatever GDI makes of it, nothing stays
    }
    ASSERT_EQ(VARIANT_TRUE, draw({d, 2, 2, 12, 12, s, 1, 1, magenta}));
    EXPECT_EQ(objects, gdiObjects());
    EXPECT_GT(objects, 4) << "the count sees this test's own objects";
    VARIANT_BOOL r;
    LONG v = 0;
    EXPECT_EQ(E_POINTER, bf->TransparentBit(&v, &v, &v, &v, &v, nullptr, &v, &v, &v, &r));
}
