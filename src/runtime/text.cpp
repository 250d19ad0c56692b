#include "text.h"
#include <windows.h>

namespace zor {

std::string toAnsi(std::wstring_view s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// One pass over the bytes: no ANSI code page turns a byte into more than one UTF-16 unit, so
// the byte count is enough room.
std::wstring fromAnsi(std::string_view s) {
    if (s.empty()) return {};
    std::wstring out(s.size(), L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

} // namespace zor
