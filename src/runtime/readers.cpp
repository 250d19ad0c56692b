#include "readers.h"
#include "errors.h"

namespace zor {

std::wstring_view TextReader::line() {
    if (atEnd()) throw Error(errInputPastEnd);
    std::wstring_view rest = std::wstring_view(text_).substr(pos_);
    std::size_t cr = rest.find(L'\r');
    if (cr == std::wstring_view::npos) {
        pos_ = text_.size();
        return rest;
    }
    pos_ += cr + 1;
    if (pos_ < text_.size() && text_[pos_] == L'\n') ++pos_;
    return rest.substr(0, cr);
}

void TextReader::skipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == L'\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == L'\n') ++pos_;
    } else if (pos_ < text_.size() && text_[pos_] == L'\n') {
        ++pos_;
    }
}

void TextReader::skipPastDelimiter() {
    std::size_t stop = text_.find_first_of(L",\r\n", pos_);
    if (stop == std::wstring::npos) {
        pos_ = text_.size();
    } else if (text_[stop] == L',') {
        pos_ = stop + 1;
    } else {
        pos_ = stop;
        skipLineEnd();
    }
}

std::wstring_view TextReader::field() {
    if (atEnd()) throw Error(errInputPastEnd);
    std::wstring_view all(text_);
    while (pos_ < text_.size() && text_[pos_] == L' ') ++pos_;

    if (pos_ < text_.size() && text_[pos_] == L'"') {
        std::size_t start = pos_ + 1;
        std::size_t close = text_.find(L'"', start);
        if (close == std::wstring::npos) close = text_.size(); // unclosed: runs to the end
        pos_ = close == text_.size() ? close : close + 1;
        skipPastDelimiter();
        return all.substr(start, close - start);
    }

    std::size_t start = pos_;
    std::size_t stop = text_.find_first_of(L",\r\n", pos_);
    if (stop == std::wstring::npos) stop = text_.size();
    pos_ = stop;
    if (pos_ < text_.size() && text_[pos_] == L',')
        ++pos_;
    else
        skipLineEnd();
    return all.substr(start, stop - start);
}

} // namespace zor
