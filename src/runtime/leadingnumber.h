// The leading-number conversion: the number at the start of a text, as the counter file and the
// multimedia status replies are read. Spaces, tabs and line feeds are skipped wherever they
// occur; then an optional sign, digits with at most one decimal point and an optional exponent
// (E or D), or "&H"/"&O" and hexadecimal/octal digits. The first character that cannot continue
// the number ends it; a text without a number gives 0.
#pragma once
#include <string_view>

namespace zor {

double leadingNumber(std::wstring_view text);

} // namespace zor
