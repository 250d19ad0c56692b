// Transparent transfer with the mask technique: a monochrome mask made from the transparent
// colour, turned into a colour mask, then source, mask and source again combined with the
// destination (XOR, AND, XOR), so that destination pixels under the transparent colour come
// out as they were.
#include "bitmap/BitmapFunctions.h"
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
