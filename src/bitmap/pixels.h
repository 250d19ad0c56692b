// The transparent transfer done directly on the pixels of two images of one format, as the mask
// transfers would leave them.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zor {

// A rectangle's rows in memory: its top-left pixel and the step from one row to the one below
// (negative in a bottom-up image).
struct PixelRows {
    unsigned char* first;
    std::ptrdiff_t step;
};

// Copies width x height pixels of 3 or 4 bytes from source to dest, except source pixels equal
// to `key` (the pixel's bytes read as a little-endian number: blue in the low byte). Under those
// the destination keeps its colour; a 4-byte destination pixel loses its fourth byte there, as
// the colour mask (white is 0x00FFFFFF) clears it.
void copyExceptKey(PixelRows source, PixelRows dest, int width, int height, int bytesPerPixel, std::uint32_t key);

} // namespace zor
