// Text helpers of the automation runtime. "Space" is U+0020 only: tabs and other white space
// are kept. Text that leaves or enters the library through the platform's "A" functions and
// text files is in the system ANSI code page.
#pragma once
#include <functional>
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

// Conversions in the system ANSI code page; characters it lacks become its default character.
std::string toAnsi(std::wstring_view s);
std::wstring fromAnsi(std::string_view s);
// The same into out, whose storage is reused: for loops that convert many short texts.
void fromAnsi(std::string_view s, std::wstring& out);

// Finds a text in ANSI bytes exactly where it would be found in their conversion: in a
// single-byte code page that holds every character of the text, among the bytes themselves;
// otherwise in the converted bytes.
class AnsiSearch {
public:
    explicit AnsiSearch(std::wstring_view text);
    AnsiSearch(const AnsiSearch&) = delete;
    AnsiSearch& operator=(const AnsiSearch&) = delete;
    bool foundIn(std::string_view bytes);

private:
    std::wstring text_, converted_;
    const std::string bytes_;
    bool byBytes_;
    // Skips ahead by whole lengths of the text where it cannot start: long texts are quick to rule out.
    std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher_;
};

// The 8-bit code of a character in the system ANSI code page; a character that has no
// single-byte code there gives the code of "?" (63).
unsigned char ansiCode(wchar_t c);

// The character whose code in the system ANSI code page is the given byte.
wchar_t ansiChar(unsigned char code);

} // namespace zor
