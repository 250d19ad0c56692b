// The line reader and the field reader: sequential reads over the whole text of a file, read in
// one go, so the file itself is closed before the first line is looked at. They work on UTF-16
// text (TextReader) or on the file's own bytes in the system ANSI code page (AnsiReader): every
// delimiter is an ASCII character below 0x40, which no ANSI code page uses as the second byte
// of a double-byte character, so the bytes split exactly where the characters would.
#pragma once
#include <string>
#include <string_view>
#include "errors.h"

namespace zor {

template <class Char>
class BasicTextReader {
public:
    using Text = std::basic_string<Char>;
    using View = std::basic_string_view<Char>;

    explicit BasicTextReader(Text text) : text_(std::move(text)) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Line reader: a line ends at CR LF or at a lone CR, which are not part of it; a lone LF
    // stays in the line. The last line needs no line end. At the end: error 62.
    View line() {
        if (atEnd()) throw Error(errInputPastEnd);
        View rest = View(text_).substr(pos_);
        size_t cr = rest.find(Char('\r'));
        if (cr == View::npos) {
            pos_ = text_.size();
            return rest;
        }
        pos_ += cr + 1;
        if (pos_ < text_.size() && text_[pos_] == Char('\n')) ++pos_;
        return rest.substr(0, cr);
    }

    // Field reader: spaces before a field are skipped; a field in double quotes is the text
    // between them (line ends included) and whatever follows up to the next comma or line end
    // is passed over; any other field runs to the next comma or line end (CR LF, CR or LF),
    // which is consumed. An empty line is one empty field. At the end: error 62.
    View field() {
        if (atEnd()) throw Error(errInputPastEnd);
        View all(text_);
        while (pos_ < text_.size() && text_[pos_] == Char(' ')) ++pos_;

        if (pos_ < text_.size() && text_[pos_] == Char('"')) {
            size_t start = pos_ + 1;
            size_t close = all.find(Char('"'), start);
            if (close == View::npos) close = text_.size(); // unclosed: runs to the end
            pos_ = close == text_.size() ? close : close + 1;
            skipDelimiter(findDelimiter(pos_));
            return all.substr(start, close - start);
        }
        size_t start = pos_;
        size_t stop = findDelimiter(pos_);
        skipDelimiter(stop);
        return all.substr(start, stop - start);
    }

    // All the remaining fields joined with nothing between them, gathered in the reader's own
    // buffer (a field never moves forward, so it is moved down in place); step runs after each
    // field. The reader is at its end afterwards.
    template <class Step>
    Text joinFields(Step&& step) {
        size_t out = 0;
        while (!atEnd()) {
            View f = field();
            std::char_traits<Char>::move(text_.data() + out, f.data(), f.size());
            out += f.size();
            step();
        }
        text_.resize(out);
        pos_ = text_.size();
        return std::move(text_);
    }

    const Text& text() const { return text_; }

private:
    // One pass with three comparisons beats three library searches here: the platform's
    // memchr is a plain byte loop.
    size_t findDelimiter(size_t from) const {
        const Char* p = text_.data() + from;
        const Char* end = text_.data() + text_.size();
        while (p < end && *p != Char(',') && *p != Char('\r') && *p != Char('\n')) ++p;
        return static_cast<size_t>(p - text_.data());
    }
    // Moves past the comma or line end (CR LF, CR or LF) at stop, or to the end of the text.
    void skipDelimiter(size_t stop) {
        pos_ = stop;
        if (pos_ >= text_.size()) return;
        Char c = text_[pos_++];
        if (c == Char('\r') && pos_ < text_.size() && text_[pos_] == Char('\n')) ++pos_;
    }

    Text text_;
    size_t pos_ = 0;
};

using TextReader = BasicTextReader<wchar_t>;
using AnsiReader = BasicTextReader<char>;

} // namespace zor
