// The line reader and the field reader: sequential reads over the whole text of a file, read in
// one go, so the file itself is closed before the first line is looked at. FieldStream is the
// same field reader over a file read in blocks, for scans that need not hold the file. They work on UTF-16
// text (TextReader) or on the file's own bytes in the system ANSI code page (AnsiReader): every
// delimiter is an ASCII character below 0x40, which no ANSI code page uses as the second byte
// of a double-byte character, so the bytes split exactly where the characters would.
#pragma once
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include "runtime/errors.h"
#include "runtime/files.h"

namespace zor {

namespace scan {

// The first of the characters a, b and c in [p, end), or end.
template <class Char>
const Char* findAny(const Char* p, const Char* end, Char a, Char b, Char c) {
    while (p < end && *p != a && *p != b && *p != c) ++p;
    return p;
}

// Bytes are tested four at a time: a file's text is long and its delimiters are few.
inline bool hasByte(std::uint32_t v, std::uint32_t repeated) {
    std::uint32_t x = v ^ repeated;
    return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;
}
template <>
inline const char* findAny(const char* p, const char* end, char a, char b, char c) {
    const std::uint32_t ra = 0x01010101u * static_cast<unsigned char>(a), rb = 0x01010101u * static_cast<unsigned char>(b),
                        rc = 0x01010101u * static_cast<unsigned char>(c);
    while (end - p >= 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        if (hasByte(v, ra) || hasByte(v, rb) || hasByte(v, rc)) break;
        p += 4;
    }
    while (p < end && *p != a && *p != b && *p != c) ++p;
    return p;
}

} // namespace scan

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
        size_t cr = scan::findAny(rest.data(), rest.data() + rest.size(), Char('\r'), Char('\r'), Char('\r')) - rest.data();
        if (cr == rest.size()) {
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
    size_t findDelimiter(size_t from) const {
        const Char* p = scan::findAny(text_.data() + from, text_.data() + text_.size(), Char(','), Char('\r'), Char('\n'));
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

// The field reader of AnsiReader over an open file, read from its current position in blocks:
// a field, a quoted field or a CR LF may lie across blocks. Memory holds one block and the field
// being read, whatever the size of the file.
class FieldStream {
public:
    static constexpr size_t defaultBlockSize = 64 * 1024;

    explicit FieldStream(FileChannel& file, size_t blockSize = defaultBlockSize) : file_(file), block_(blockSize) {}

    bool atEnd() {
        while (pos_ >= buf_.size() && !eof_) readMore();
        return pos_ >= buf_.size();
    }

    // The next field, valid until the next call. At the end: error 62.
    std::string_view field() {
        if (atEnd()) throw Error(errInputPastEnd);
        for (;;) {
            size_t start = 0, stop = 0, next = 0;
            if (parse(start, stop, next)) {
                pos_ = next;
                return std::string_view(buf_).substr(start, stop - start);
            }
            readMore(); // the field goes on in the next block
        }
    }

private:
    // The field at pos_ within the bytes read so far: [start, stop) and where the next begins.
    // False when the bytes read so far do not yet show where it ends.
    bool parse(size_t& start, size_t& stop, size_t& next) const {
        const size_t size = buf_.size();
        size_t p = pos_;
        while (p < size && buf_[p] == ' ') ++p;
        if (p == size && !eof_) return false;
        const bool quoted = p < size && buf_[p] == '"';
        size_t from = p; // where the search for the delimiter starts
        if (quoted) {
            start = p + 1;
            stop = buf_.find('"', start);
            if (stop == std::string::npos) {
                if (!eof_) return false;
                stop = size; // unclosed: runs to the end
            }
            from = stop == size ? size : stop + 1;
        }
        const char* d = scan::findAny(buf_.data() + from, buf_.data() + size, ',', '\r', '\n');
        const size_t delimiter = static_cast<size_t>(d - buf_.data());
        if (delimiter == size && !eof_) return false;
        if (delimiter + 1 == size && buf_[delimiter] == '\r' && !eof_) return false; // an LF may follow
        if (!quoted) {
            start = p;
            stop = delimiter;
        }
        next = delimiter;
        if (next < size) {
            const char c = buf_[next++];
            if (c == '\r' && next < size && buf_[next] == '\n') ++next;
        }
        return true;
    }

    // Drops what was read and appends the next block (more when one field outgrows a block).
    void readMore() {
        buf_.erase(0, pos_);
        pos_ = 0;
        const size_t old = buf_.size(), n = std::max(block_, old);
        buf_.resize(old + n);
        buf_.resize(old + file_.readBytes(buf_.data() + old, n));
        if (buf_.size() == old) eof_ = true;
    }

    FileChannel& file_;
    size_t block_;
    std::string buf_;
    size_t pos_ = 0;
    bool eof_ = false;
};

} // namespace zor
