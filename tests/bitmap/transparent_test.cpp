// TransparentBit through the registered library, pixel by pixel on DIB sections in memory
// device contexts: opaque sources, wholly transparent sources, mixed pixels, colour depths that
// differ between source and destination, the contexts' background colours afterwards, and no
// GDI object left behind on any path.
#include "library.h"
#include "runtime/handles.h"

using namespace test;

namespace {

// A top-down DIB section of the given depth selected into a memory context.
class Image {
public:
    Image(int width, int height, int bits) : width_(width), height_(height), bits_(bits) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bits), BI_RGB};
        bitmap_ = zor::GdiObject(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pixels_, nullptr, 0));
        dc_ = zor::MemoryDc(CreateCompatibleDC(nullptr));
        previous_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~Image() { SelectObject(dc_.get(), previous_); }
    LONG dc() const { return static_cast<LONG>(reinterpret_cast<intptr_t>(dc_.get())); }
    HDC hdc() const { return dc_.get(); }
    COLORREF at(int x, int y) const {
        GdiFlush();
        const BYTE* p = static_cast<const BYTE*>(pixels_) + y * stride() + x * (bits_ / 8);
        return RGB(p[2], p[1], p[0]);
    }
    void set(int x, int y, COLORREF c) {
        BYTE* p = static_cast<BYTE*>(pixels_) + y * stride() + x * (bits_ / 8);
        p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
    template <class F>
    void fill(F colourAt) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) set(x, y, colourAt(x, y));
    }
    std::vector<COLORREF> all() const {
        std::vector<COLORREF> v;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) v.push_back(at(x, y));
        return v;
    }

private:
    int stride() const { return (width_ * bits_ / 8 + 3) & ~3; }
    int width_, height_, bits_;
    void* pixels_ = nullptr;
    zor::GdiObject bitmap_;
    zor::MemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
};

constexpr COLORREF magenta = RGB(255, 0, 255);

// A colour for each position, never the transparent one.
COLORREF pattern(int x, int y, int salt) { return RGB((x * 37 + salt) & 0xFF, (y * 59 + salt) & 0x7F, (x * y + salt) & 0xFE); }

// Live GDI objects of this process. Wine answers GetGuiResources with 0; its handle table takes
// a handle's index without the high word, so the live objects can be counted there.
long gdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
    long n = 0;
    for (uintptr_t i = 1; i < 0x10000; ++i) n += GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
    return n;
}

struct Transfer {
    LONG dest, destX, destY, width, height, source, sourceX, sourceY, colour;
};

struct TransparentBit : RegisteredLibrary {
    ComPtr<_BitmapFunctions> bf = make<_BitmapFunctions>(L"BitmapFunctions");
    VARIANT_BOOL draw(Transfer t) {
        Transfer before = t;
        VARIANT_BOOL result = 7;
        EXPECT_EQ(S_OK, bf->TransparentBit(&t.dest, &t.destX, &t.destY, &t.width, &t.height, &t.source, &t.sourceX,
                                           &t.sourceY, &t.colour, &result));
        EXPECT_EQ(0, memcmp(&before, &t, sizeof t)) << "no argument changes";
        return result;
    }
};

} // namespace

TEST_F(TransparentBit, CopiesEveryPixelButTheTransparentOnes) {
    struct Case {
        int sourceBits, destBits;
        int transparentEvery; // 0: none, 1: all, n: every nth pixel of the source
    } cases[] = {{32, 32, 0}, {32, 32, 1}, {32, 32, 3}, {24, 32, 2}, {32, 24, 5}, {24, 24, 7}};
    for (const auto& c : cases) {
        Image source(20, 16, c.sourceBits), dest(24, 24, c.destBits);
        source.fill([&](int x, int y) {
            return c.transparentEvery && (x + y * 20) % c.transparentEvery == 0 ? magenta : pattern(x, y, 1);
        });
        dest.fill([](int x, int y) { return pattern(x, y, 99); });
        std::vector<COLORREF> before = dest.all();
        SetBkColor(source.hdc(), RGB(1, 2, 3));
        SetBkColor(dest.hdc(), RGB(4, 5, 6));

        // 12 x 10 from (5, 4) in the source to (9, 11) in the destination
        EXPECT_EQ(VARIANT_TRUE, draw({dest.dc(), 9, 11, 12, 10, source.dc(), 5, 4, static_cast<LONG>(magenta)}));
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                bool inside = x >= 9 && x < 21 && y >= 11 && y < 21;
                COLORREF expected = before[y * 24 + x];
                if (inside && source.at(x - 4, y - 7) != magenta) expected = source.at(x - 4, y - 7);
                ASSERT_EQ(expected, dest.at(x, y)) << x << "," << y << " depths " << c.sourceBits << "/" << c.destBits;
            }
        EXPECT_EQ(magenta, GetBkColor(source.hdc()));
        EXPECT_EQ(magenta, GetBkColor(dest.hdc()));
    }
}

TEST_F(TransparentBit, BadContextsFailAndLeakNothing) {
    Image source(16, 16, 32), dest(16, 16, 32);
    source.fill([](int x, int y) { return x < y ? magenta : pattern(x, y, 5); });
    dest.fill([](int x, int y) { return pattern(x, y, 6); });
    std::vector<COLORREF> before = dest.all();
    const LONG bogus = 0x0BAD0BAD;
    Transfer failing[] = {
        {0, 0, 0, 16, 16, source.dc(), 0, 0, static_cast<LONG>(magenta)},
        {bogus, 0, 0, 16, 16, source.dc(), 0, 0, static_cast<LONG>(magenta)},
        {dest.dc(), 0, 0, 16, 16, 0, 0, 0, static_cast<LONG>(magenta)},
        {dest.dc(), 0, 0, 16, 16, bogus, 0, 0, static_cast<LONG>(magenta)},
        {dest.dc(), 0, 0, 100000, 100000, source.dc(), 0, 0, static_cast<LONG>(magenta)}, // masks too large to make
    };
    for (const auto& t : failing) EXPECT_EQ(VARIANT_FALSE, draw(t));
    EXPECT_EQ(before, dest.all()) << "a failed transfer draws nothing";

    Transfer good{dest.dc(), 2, 2, 12, 12, source.dc(), 1, 1, static_cast<LONG>(magenta)};
    long objects = gdiObjects();
    for (int i = 0; i < 200; ++i) {
        for (const auto& t : failing) ASSERT_EQ(VARIANT_FALSE, draw(t));
        ASSERT_EQ(VARIANT_TRUE, draw(good));
        ASSERT_EQ(VARIANT_TRUE, draw({dest.dc(), 0, 0, 0, 0, source.dc(), 0, 0, 0})) << "an empty rectangle";
        draw({dest.dc(), 15, 15, -8, -8, source.dc(), 8, 8, 0}); // whatever GDI makes of it, nothing stays
    }
    EXPECT_EQ(objects, gdiObjects());
    EXPECT_GT(objects, 4) << "the count sees this test's own objects";

    VARIANT_BOOL result;
    LONG v = 0;
    EXPECT_EQ(E_POINTER, bf->TransparentBit(&v, &v, &v, &v, &v, nullptr, &v, &v, &v, &result));
    EXPECT_EQ(E_POINTER, bf->TransparentBit(&v, &v, &v, &v, &v, &v, &v, &v, &v, nullptr));
}
