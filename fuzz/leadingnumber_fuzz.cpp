// The leading-number conversion on any text: it ends in a number or in the overflow error, and
// what it reads does not depend on anything after the number or on skipped blanks within it.
#include <cmath>
#include <optional>
#include "fuzz.h"
#include "runtime/errors.h"
#include "runtime/leadingnumber.h"

namespace {

// The number, or nothing for the overflow error; any other failure is a fault.
std::optional<double> convert(const std::wstring& text) {
    try {
        double v = zor::leadingNumber(text);
        FUZZ_CHECK(std::isfinite(v));
        return v;
    } catch (const zor::Error& e) {
        FUZZ_CHECK(e.number == zor::errOverflow);
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Bytes become characters one for one; bytes from 0xF8 stand for characters beyond Latin-1.
    std::wstring text;
    for (size_t i = 0; i < size; ++i) text += data[i] >= 0xF8 ? wchar_t(0x2000 + data[i]) : wchar_t(data[i]);
    const auto v = convert(text);

    // Nothing after the number counts ("x" continues no number).
    FUZZ_CHECK(v == convert(text + L"x"));
    // Blanks are skipped wherever they stand.
    std::wstring spaced;
    for (wchar_t c : text) spaced += std::wstring(1, c) + L" \t";
    FUZZ_CHECK(v == convert(spaced));

    // "&H" and "&O" numbers are whole and within the 32-bit range.
    if (v && text.size() >= 2 && text[0] == L'&' && (text[1] == L'H' || text[1] == L'h' || text[1] == L'O' || text[1] == L'o')) {
        FUZZ_CHECK(*v == std::floor(*v));
        FUZZ_CHECK(*v >= -2147483648.0 && *v <= 2147483647.0);
        // 16-bit and 32-bit all-ones read as -1.
        if (text == L"&HFFFF" || text == L"&HFFFFFFFF") FUZZ_CHECK(*v == -1);
    }
    // A plain run of up to 15 digits is exactly that number.
    if (!text.empty() && text.size() <= 15 && text.find_first_not_of(L"0123456789") == std::wstring::npos)
        FUZZ_CHECK(v && *v == std::wcstod(text.c_str(), nullptr));
    return 0;
}
