// Transparent transfer with the mask technique: a monochrome mask made from the transparent
// colour, turned into a colour mask, then source, mask and source again combined with the
// destination (XOR, AND, XOR), so that destination pixels under the transparent colour come
// out as they were. Between two DIB sections of one format the same pixels come from one pass.
#include "bitmap/BitmapFunctions.h"
#include <cstring>
#include <optional>
#include <vector>
#include "bitmap/pixels.h"
#include "runtime/handles.h"

namespace zor {

namespace {

HDC dcOf(LONG value) { return reinterpret_cast<HDC>(static_cast<ULONG_PTR>(static_cast<ULONG>(value))); }

// An object selected into a memory context; the object it replaced goes back in restore(), or
// at the latest when this goes.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { restore(); }
    bool done() const { return previous_ != nullptr; }
    void restore() {
        if (previous_) SelectObject(dc_, previous_);
        previous_ = nullptr;
    }
private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The rectangle x, y, width x height of the 24- or 32-bit DIB section in a memory context, when
// GDI would draw it pixel for pixel: no mapping, mirroring or clipping, wholly inside the bitmap.
struct DibArea {
    int bitsPerPixel;
    PixelRows rows;
    const unsigned char *start, *end; // the whole image's memory
};

// Whether a source's first memory row is its top one. GDI does not tell: the DIBSECTION's height
// is positive either way. So one row that differs from its mirror row is read through GDI and
// compared; when every row equals its mirror, both orders read the same.
std::optional<bool> readTopDown(HDC dc, HGDIOBJ bitmap, const DIBSECTION& dib, std::ptrdiff_t stride) {
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight, bits = dib.dsBm.bmBitsPixel;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bits / 8;
    const auto* first = static_cast<const unsigned char*>(dib.dsBm.bmBits);
    for (int k = 0; k < height / 2; ++k) {
        const unsigned char *row = first + k * stride, *mirror = first + (height - 1 - k) * stride;
        if (std::memcmp(row, mirror, rowBytes) == 0) continue;
        std::vector<unsigned char> seen(stride);
        BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB}};
        // Scan lines count from the bottom: this one is row k from the top.
        if (GetDIBits(dc, static_cast<HBITMAP>(bitmap), height - 1 - k, 1, seen.data(), &info, DIB_RGB_COLORS) != 1)
            return std::nullopt;
        if (std::memcmp(seen.data(), row, rowBytes) == 0) return true;
        if (std::memcmp(seen.data(), mirror, rowBytes) == 0) return false;
        return std::nullopt;
    }
    return true;
}

// The same for a destination, where rows that read the same still go to different places: GDI
// inverts one pixel of the rectangle, the memory row that changed tells, and both candidate
// pixels get their bytes back.
std::optional<bool> drawnTopDown(HDC dc, const DIBSECTION& dib, std::ptrdiff_t stride, int x, int y, int rows) {
    const int height = dib.dsBm.bmHeight, bytes = dib.dsBm.bmBitsPixel / 8;
    if (y == height - 1 - y) y += rows - 1; // the middle row is the same both ways
    auto* first = static_cast<unsigned char*>(dib.dsBm.bmBits) + x * bytes;
    unsigned char *top = first + y * stride, *bottom = first + (height - 1 - y) * stride;
    unsigned char topBefore[4], bottomBefore[4];
    std::memcpy(topBefore, top, bytes);
    std::memcpy(bottomBefore, bottom, bytes);
    if (!BitBlt(dc, x, y, 1, 1, nullptr, 0, 0, DSTINVERT)) return std::nullopt;
    GdiFlush();
    const bool topChanged = std::memcmp(topBefore, top, bytes) != 0;
    const bool bottomChanged = std::memcmp(bottomBefore, bottom, bytes) != 0;
    std::memcpy(bottom, bottomBefore, bytes);
    std::memcpy(top, topBefore, bytes);
    if (topChanged != bottomChanged || top == bottom) return topChanged;
    return std::nullopt;
}

std::optional<DibArea> dibArea(HDC dc, int x, int y, int width, int height, bool destination) {
    POINT windowOrigin{}, viewportOrigin{};
    RECT clip, bounds;
    // Drawn bounds being gathered are left to the transfers, which add to them.
    if (width <= 0 || height <= 0 || GetObjectType(dc) != OBJ_MEMDC || GetMapMode(dc) != MM_TEXT ||
        GetGraphicsMode(dc) != GM_COMPATIBLE || GetLayout(dc) != 0 || !GetWindowOrgEx(dc, &windowOrigin) ||
        !GetViewportOrgEx(dc, &viewportOrigin) || windowOrigin.x || windowOrigin.y || viewportOrigin.x ||
        viewportOrigin.y || GetClipBox(dc, &clip) != SIMPLEREGION || (GetBoundsRect(dc, &bounds, 0) & DCB_ENABLE))
        return std::nullopt;
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    DIBSECTION dib;
    if (GetObject(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits || dib.dsBmih.biCompression != BI_RGB ||
        (dib.dsBm.bmBitsPixel != 24 && dib.dsBm.bmBitsPixel != 32))
        return std::nullopt;
    const int bitmapWidth = dib.dsBm.bmWidth, bitmapHeight = dib.dsBm.bmHeight;
    if (x < 0 || y < 0 || x < clip.left || y < clip.top || static_cast<long long>(x) + width > bitmapWidth ||
        static_cast<long long>(y) + height > bitmapHeight || x + width > clip.right || y + height > clip.bottom)
        return std::nullopt;
    GdiFlush(); // GDI may still be drawing into these bits
    const int bits = dib.dsBm.bmBitsPixel;
    const std::ptrdiff_t stride = (static_cast<std::ptrdiff_t>(bitmapWidth) * bits + 31) / 32 * 4;
    std::optional<bool> down =
        destination ? drawnTopDown(dc, dib, stride, x, y, height) : readTopDown(dc, bitmap, dib, stride);
    if (!down) return std::nullopt;
    auto* start = static_cast<unsigned char*>(dib.dsBm.bmBits);
    const std::ptrdiff_t row = *down ? y : bitmapHeight - 1 - y;
    return DibArea{bits, {start + row * stride + x * (bits / 8), *down ? stride : -stride}, start,
                   start + stride * bitmapHeight};
}

// The mask transfers' result in one pass over the pixels, when both contexts allow it.
bool drawnDirectly(HDC dest, int destX, int destY, int width, int height, HDC source, int sourceX, int sourceY,
                   COLORREF colour) {
    if (colour >> 24) return false; // a palette index: GDI looks it up
    auto from = dibArea(source, sourceX, sourceY, width, height, false);
    auto to = from ? dibArea(dest, destX, destY, width, height, true) : std::nullopt;
    if (!to || to->bitsPerPixel != from->bitsPerPixel) return false;
    // One image as source and destination: the mask transfers' later steps may read what their
    // first one drew.
    if (to->start < from->end && from->start < to->end) return false;
    // A pixel holds blue, green, red from its low byte up: the colour's bytes the other way round.
    copyExceptKey(from->rows, to->rows, width, height, to->bitsPerPixel / 8,
                  RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour)));
    return true;
}

} // namespace

STDMETHODIMP BitmapFunctions::TransparentBit(LONG* hDestDC, LONG* nDestX, LONG* nDestY, LONG* nWidth, LONG* nHeight,
                                             LONG* hSourceDC, LONG* nSourceX, LONG* nSourceY, LONG* lTransColor,
                                             VARIANT_BOOL* result) {
    auto params = inout(hDestDC, nDestX, nDestY, nWidth, nHeight, hSourceDC, nSourceX, nSourceY, lTransColor);
    return untrapped(result, params,
                     [&](long destDc, long destX, long destY, long width, long height, long sourceDc, long sourceX,
                         long sourceY, long transColor) {
        HDC dest = dcOf(destDc), source = dcOf(sourceDc);

        // The background colour is what a colour-to-monochrome copy turns into white.
        SetBkColor(source, static_cast<COLORREF>(transColor));
        SetBkColor(dest, static_cast<COLORREF>(transColor));
        if (drawnDirectly(dest, destX, destY, width, height, source, sourceX, sourceY,
                          static_cast<COLORREF>(transColor)))
            return true;

        MemoryDc colourDc(CreateCompatibleDC(dest));
        GdiObject colourMask(CreateCompatibleBitmap(dest, width, height));
        Selection colourSelection(colourDc.get(), colourMask.get());
        bool masked = false;
        {
            GdiObject monoMask(CreateBitmap(width, height, 1, 1, nullptr));
            MemoryDc monoDc(CreateCompatibleDC(dest));
            Selection monoSelection(monoDc.get(), monoMask.get());
            // White where the source has the transparent colour; then, through the fresh
            // context's white background and black text, white and black in the colour mask.
            // A mask that could not be made is not drawn with: GDI would clip the transfers to
            // the contexts' default one-pixel bitmaps and report them done.
            masked = colourSelection.done() && monoSelection.done() &&
                     BitBlt(monoDc.get(), 0, 0, width, height, source, sourceX, sourceY, SRCCOPY) &&
                     BitBlt(colourDc.get(), 0, 0, width, height, monoDc.get(), 0, 0, SRCCOPY);
            monoSelection.restore();
            monoMask.close();
            monoDc.close();
        }

        // D xor S; then AND the mask leaves D xor S where transparent and 0 elsewhere; xor S again
        // gives D where transparent and S elsewhere.
        bool drawn = masked &&
                     BitBlt(dest, destX, destY, width, height, source, sourceX, sourceY, SRCINVERT) &&
                     BitBlt(dest, destX, destY, width, height, colourDc.get(), 0, 0, SRCAND) &&
                     BitBlt(dest, destX, destY, width, height, source, sourceX, sourceY, SRCINVERT);

        colourSelection.restore();
        colourMask.close();
        colourDc.close();
        return drawn;
    });
}

} // namespace zor
