// Text helpers of the automation runtime. "Space" is U+0020 only: tabs and other white space
// are kept.
#pragma once
#include <string>
#include <string_view>

namespace zor {

inline std::wstring_view trimLeftSpaces(std::wstring_view s) {
    size_t i = s.find_first_not_of(L' ');
    return i == std::wstring_view::npos ? std::wstring_view() : s.substr(i);
}

inline std::wstring_view trimRightSpaces(std::wstring_view s) {
    size_t i = s.find_last_not_of(L' ');
    return i == std::wstring_view::npos ? std::wstring_view() : s.substr(0, i + 1);
}

inline std::wstring_view trimSpaces(std::wstring_view s) { return trimRightSpaces(trimLeftSpaces(s)); }

} // namespace zor
