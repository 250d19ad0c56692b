#include "runtime/text.h"
#include <windows.h>
#include <algorithm>
#include <array>

namespace zor {

std::string toAnsi(std::wstring_view s) {
    if (s.empty()) return {};
    if (s.size() <= 256) { // a short text in one pass: no code page needs more than three bytes a unit
        char buf[3 * 256];
        int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), buf, sizeof buf, nullptr, nullptr);
        if (n > 0) return std::string(buf, static_cast<size_t>(n));
    }
    int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// One pass over the bytes: no ANSI code page turns a byte into more than one UTF-16 unit, so
// the byte count is enough room.
std::wstring fromAnsi(std::string_view s) {
    std::wstring out;
    fromAnsi(s, out);
    return out;
}

void fromAnsi(std::string_view s, std::wstring& out) {
    out.resize(s.size());
    if (s.empty()) return;
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(n));
}

AnsiSearch::AnsiSearch(std::wstring_view text)
    : text_(text), bytes_(toAnsi(text)), searcher_(bytes_.begin(), bytes_.end()) {
    CPINFO info;
    byBytes_ = GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1 && fromAnsi(bytes_) == text_;
}

bool AnsiSearch::foundIn(std::string_view bytes) {
    if (byBytes_) return std::search(bytes.begin(), bytes.end(), searcher_) != bytes.end() || bytes_.empty();
    fromAnsi(bytes, converted_);
    return converted_.find(text_) != std::wstring::npos;
}

unsigned char ansiCode(wchar_t c) {
    // Every ANSI code page agrees with ASCII below 128; only the rest needs the conversion.
    if (c < 128) return static_cast<unsigned char>(c);
    char bytes[2];
    // No best fit: a character the code page lacks is not its look-alike ("A" for U+0100).
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
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
