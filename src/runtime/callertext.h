// Checks of a caller's text before it reaches a platform call that takes a C string.
#pragma once
#include <string_view>

namespace zor {

// Whether a caller's text reaches a platform call whole as a C string: a NUL of its own would
// cut it short, and the call would act on another name.
inline bool passesWhole(std::string_view text) { return text.find('\0') == std::string_view::npos; }

// The same for a call that copies the text into a fixed buffer of `limit` characters with its
// terminating NUL. A text that does not pass never reaches the call: the method ends in its
// documented failure result instead.
inline bool fitsLimit(std::string_view text, size_t limit) { return text.size() < limit && passesWhole(text); }

} // namespace zor
