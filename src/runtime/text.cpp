#include "text.h"
#include <windows.h>
#include <array>

namespace zor {

unsigned char ansiCode(wchar_t c) {
    // Every ANSI code page agrees with ASCII below 128; only the rest needs the conversion.
    if (c < 128) return static_cast<unsigned char>(c);
    char bytes[2];
    int n = WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
    return n == 1 ? static_cast<unsigned char>(bytes[0]) : '?';
}

wchar_t ansiChar(unsigned char code) {
    static const std::array<wchar_t, 256> chars = [] {
        std::array<wchar_t, 256> t{};
        for (int i = 0; i < 256; ++i) {
            char b = static_cast<char>(i);
            if (MultiByteToWideChar(CP_ACP, 0, &b, 1, &t[i], 1) != 1) t[i] = L'?';
        }
        return t;
    }();
    return chars[code];
}

} // namespace zor
