// The line reader and the field reader: sequential reads over the whole text of a file, read
// and converted in one go (readTextFile), so the file itself is closed before the first line
// is looked at.
#pragma once
#include <string>
#include <string_view>

namespace zor {

class TextReader {
public:
    explicit TextReader(std::wstring text) : text_(std::move(text)) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Line reader: a line ends at CR LF or at a lone CR, which are not part of it; a lone LF
    // stays in the line. The last line needs no line end. At the end: error 62.
    std::wstring_view line();

    // Field reader: spaces before a field are skipped; a field in double quotes is the text
    // between them (line ends included) and whatever follows up to the next comma or line end
    // is passed over; any other field runs to the next comma or line end (CR LF, CR or LF),
    // which is consumed. An empty line is one empty field. At the end: error 62.
    std::wstring_view field();

    // The text as read, for callers that take it whole.
    const std::wstring& text() const { return text_; }

private:
    void skipPastDelimiter(); // consumes up to and including the next comma or line end
    void skipLineEnd();       // consumes CR LF, CR or LF at pos_

    std::wstring text_;
    std::size_t pos_ = 0;
};

} // namespace zor
