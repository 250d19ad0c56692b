#include "bitmap/pixels.h"
#include <cstring>

namespace zor {

void copyExceptKey(PixelRows source, PixelRows dest, int width, int height, int bytesPerPixel, std::uint32_t key) {
    for (int y = 0; y < height; ++y) {
        const unsigned char* s = source.first + y * source.step;
        unsigned char* d = dest.first + y * dest.step;
        if (bytesPerPixel == 4) {
            for (int x = 0; x < width; ++x, s += 4, d += 4) {
                std::uint32_t sp, dp;
                std::memcpy(&sp, s, 4);
                std::memcpy(&dp, d, 4);
                dp = sp == key ? dp & 0x00FFFFFF : sp;
                std::memcpy(d, &dp, 4);
            }
        } else {
            // A pixel's three bytes read as four, all but the last pixel of a row, whose fourth
            // byte may lie past the image.
            for (int x = 0; x < width - 1; ++x, s += 3, d += 3) {
                std::uint32_t sp;
                std::memcpy(&sp, s, 4);
                if ((sp & 0xFFFFFF) != key) std::memcpy(d, s, 3);
            }
            if ((s[0] | s[1] << 8 | s[2] << 16) != static_cast<int>(key)) std::memcpy(d, s, 3);
        }
    }
}

} // namespace zor
