// Escaping for text put into HTML: element content and quoted attribute values alike.
#pragma once
#include <string>
#include <string_view>

namespace zor {

// &, <, >, " and ' as character references; everything else as it is.
inline void appendHtmlEscaped(std::wstring& out, std::wstring_view text) {
    for (wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        case L'\'': out += L"&#39;"; break;
        default: out += c;
        }
    }
}

} // namespace zor
