// A call buffer: a string of n spaces handed to a platform call that fills it with ANSI text;
// what the call wrote ends at the first NUL.
#pragma once
#include <windows.h>
#include <string>
#include <string_view>
#include "text.h"

namespace zor {

// Whether a caller's text reaches a platform call whole as a C string: a NUL of its own would
// cut it short, and the call would act on another name.
inline bool passesWhole(std::string_view text) { return text.find('\0') == std::string_view::npos; }

// The same for a call that copies the text into a fixed buffer of `limit` characters with its
// terminating NUL. A text that does not pass never reaches the call: the method ends in its
// documented failure result instead.
inline bool fitsLimit(std::string_view text, size_t limit) { return text.size() < limit && passesWhole(text); }

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
