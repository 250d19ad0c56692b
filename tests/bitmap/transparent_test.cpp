// TransparentBit through the registered library, pixel by pixel on DIB sections in memory
// contexts, and no GDI object left behind on any path.
#include <array>
#include <cstring>
#include <random>
#include "library.h"
#include "scratch.h"

using namespace test;

namespace {

// A DIB section of the given depth selected into a memory context (top-down for a negative
// height), or one filled by colourAt(x, y). The context goes first and lets the bitmap go with it.
struct Image {
    zor::GdiObject bitmap;
    zor::MemoryDc dc{CreateCompatibleDC(nullptr)};
    unsigned char* pixels;
    int width, height;
    size_t stride, bytes;
    Image(int width, int height, int bits)
        : width(width), height(std::abs(height)), stride((width * bits + 31) / 32 * 4), bytes(stride * this->height) {
        BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB}};
        bitmap = zor::GdiObject(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0));
        SelectObject(dc.get(), bitmap.get());
    }
    template <class F>
    Image(int size, int bits, F colourAt) : Image(size, size, bits) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) SetPixelV(dc.get(), x, y, colourAt(x, y));
    }
    LONG handle() const { return static_cast<LONG>(reinterpret_cast<intptr_t>(dc.get())); }
    COLORREF at(int x, int y) const { return GetPixel(dc.get(), x, y); }
};

constexpr LONG magenta = RGB(255, 0, 255);
COLORREF pattern(int x, int y) { return RGB(x * 9, y * 7, (x ^ y) * 5 + 1); } // never magenta

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
        EXPECT_EQ(VARIANT_TRUE, draw({dest.handle(), 7, 9, 12, 10, source.handle(), 3, 2, magenta}));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                bool inside = x >= 7 && x < 19 && y >= 9 && y < 19;
                COLORREF s = inside ? source.at(x - 4, y - 7) : magenta;
                ASSERT_EQ(s == magenta ? pattern(y + 3, x) : s, dest.at(x, y)) << x << "," << y << " every " << every;
            }
    }
}

// The mask transfers made here with GDI alone: what TransparentBit draws must match them.
bool maskSteps(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, COLORREF colour) {
    SetBkColor(source, colour);
    SetBkColor(dest, colour);
    zor::GdiObject colourMask(CreateCompatibleBitmap(dest, w, h)), mono(CreateBitmap(w, h, 1, 1, nullptr));
    zor::MemoryDc colourDc(CreateCompatibleDC(dest)), monoDc(CreateCompatibleDC(dest));
    SelectObject(colourDc.get(), colourMask.get());
    SelectObject(monoDc.get(), mono.get());
    return BitBlt(monoDc.get(), 0, 0, w, h, source, sx, sy, SRCCOPY) && BitBlt(colourDc.get(), 0, 0, w, h, monoDc.get(), 0, 0, SRCCOPY) &&
           BitBlt(dest, x, y, w, h, source, sx, sy, SRCINVERT) && BitBlt(dest, x, y, w, h, colourDc.get(), 0, 0, SRCAND) &&
           BitBlt(dest, x, y, w, h, source, sx, sy, SRCINVERT);
}

TEST_F(TransparentBit, DrawsWhatTheMaskTransfersDrawOnRandomImages) {
    std::mt19937 random(20);
    auto below = [&](int n) { return static_cast<int>(random() % n); };
    for (int i = 0; i < 500; ++i) {
        const int bits = i % 2 ? 24 : 32, mode = i / 2 % 5; // inside, at the far edges, clipped, 1 x 1, empty
        const bool same = i % 7 == 0;                             // one context as source and destination
        const int w = 1 + below(24), h = 1 + below(24), down = below(2) ? 1 : -1, sw = 1 + below(24), sh = 1 + below(24);
        Image dest(w, h * down, bits), oracle(w, h * down, bits), other(sw, below(2) ? sh : -sh, bits);
        Image& source = same ? dest : other;
        // The key, its bytes the other way round, anything, and in 32 bits the key with a fourth byte;
        // a third of the destinations in one colour (each row the same as its mirror row).
        const DWORD key = random() & 0xFFFFFF, palette[] = {key, (key & 0xFF) << 16 | (key & 0xFF00) | key >> 16,
                                                            DWORD(random()), key | DWORD(random()) << 24};
        for (Image* image : {&dest, &other})
            for (size_t row = 0; row < image->bytes; row += image->stride)
                for (int x = 0; x < image->width; ++x)
                    std::memcpy(image->pixels + row + x * bits / 8, &palette[image == &dest && i % 3 == 0 ? 2 : below(4)], bits / 8);
        std::memcpy(oracle.pixels, dest.pixels, dest.bytes);
        auto size = [&](int n, int m) {
            return mode == 3 ? 1 : mode == 4 && below(2) ? 0 : 1 + below(std::min(n, m)) + (mode == 2) * below(4);
        };
        auto place = [&](int n, int r) { return mode == 1 ? n - r : mode == 2 ? below(n + 4) - 2 : below(std::max(n - r, 0) + 1); };
        const int rw = size(w, source.width), rh = size(h, source.height), x = place(w, rw), y = place(h, rh),
                  sx = place(source.width, rw), sy = place(source.height, rh);
        const COLORREF colour = RGB(key >> 16, key >> 8 & 0xFF, key & 0xFF);
        for (HDC dc : {dest.dc.get(), source.dc.get(), oracle.dc.get()}) SetTextColor(dc, 0x0A0B0C), SetBkColor(dc, 0x0C0B0A);
        const VARIANT_BOOL r = draw({dest.handle(), x, y, rw, rh, source.handle(), sx, sy, LONG(colour)});
        const bool drawn = maskSteps(oracle.dc.get(), x, y, rw, rh, same ? oracle.dc.get() : source.dc.get(), sx, sy, colour);
        GdiFlush();
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << bits << " bits, " << rw << " x " << rh << " at " << x << "," << y);
        ASSERT_EQ(drawn ? VARIANT_TRUE : VARIANT_FALSE, r);
        ASSERT_EQ(0, std::memcmp(dest.pixels, oracle.pixels, dest.bytes));
        for (Image* image : {&dest, &source}) {
            EXPECT_EQ(colour, GetBkColor(image->dc.get()));
            EXPECT_EQ(COLORREF(0x0A0B0C), GetTextColor(image->dc.get()));
            EXPECT_EQ(image->bitmap.get(), GetCurrentObject(image->dc.get(), OBJ_BITMAP));
        }
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
    long objects = liveGdiObjects();
    for (int i = 0; i < 200; ++i) {
        for (const auto& t : failing) ASSERT_EQ(VARIANT_FALSE, draw(t));
        ASSERT_EQ(pattern(3, 3), dest.at(3, 3));
        ASSERT_EQ(VARIANT_TRUE, draw({d, 0, 0, 0, 0, s, 0, 0, 0})) << "an empty rectangle";
        draw({d, 15, 15, -8, -8, s, 8, 8, magenta}); // whatever GDI makes of it, nothing stays
    }
    ASSERT_EQ(VARIANT_TRUE, draw({d, 2, 2, 12, 12, s, 1, 1, magenta}));
    EXPECT_EQ(objects, liveGdiObjects());
    EXPECT_GT(objects, 4) << "the count sees this test's own objects";
    VARIANT_BOOL r;
    LONG v = 0;
    EXPECT_EQ(E_POINTER, bf->TransparentBit(&v, &v, &v, &v, &v, nullptr, &v, &v, &v, &r));
}
