// A call buffer: a string of n spaces handed to a platform call that fills it with ANSI text;
// what the call wrote ends at the first NUL.
#pragma once
#include <windows.h>
#include <string>
#include <string_view>
#include "runtime/text.h"

namespace zor {

class CallBuffer {
public:
    explicit CallBuffer(size_t n) : b_(n, ' ') {}
    char* data() { return b_.data(); }
    DWORD size() const { return static_cast<DWORD>(b_.size()); }
    // The text before the first NUL (all of it when the call wrote none).
    std::string_view ansi() const { return std::string_view(b_).substr(0, b_.find('\0')); }
    std::wstring text() const { return fromAnsi(ansi()); }
    // The first n characters as the call reported them, cut at a NUL within them.
    std::wstring text(size_t n) const {
        std::string_view s = std::string_view(b_).substr(0, n);
        return fromAnsi(s.substr(0, s.find('\0')));
    }
private:
    std::string b_;
};

} // namespace zor
