// The line reader and the field reader on any file content. The block-wise field reader must
// read exactly the fields of the whole-text reader whatever the block size; lines and fields
// written the way a file holds them read back unchanged.
#include "fuzz.h"
#include "runtime/readers.h"

namespace {

// The file that the block-wise reader reads: the fuzz input, served from memory.
struct Source {
    std::string bytes;
    size_t pos = 0;
} source;

template <class Reader>
auto allFields(Reader&& r, size_t limit) {
    std::vector<std::basic_string<typename decltype(r.field())::value_type>> out;
    while (!r.atEnd()) {
        out.emplace_back(r.field());
        FUZZ_CHECK(out.size() <= limit); // every field moves on
    }
    try {
        r.field();
        FUZZ_CHECK(!"a field past the end");
    } catch (const zor::Error& e) {
        FUZZ_CHECK(e.number == zor::errInputPastEnd);
    }
    return out;
}

std::vector<std::string> allLines(const std::string& text) {
    zor::AnsiReader r(text);
    std::vector<std::string> out;
    while (!r.atEnd()) out.emplace_back(r.line());
    return out;
}

size_t count(const std::string& s, char c) { return size_t(std::count(s.begin(), s.end(), c)); }

} // namespace

// The file channel of the block-wise reader, over the fuzz input.
namespace zor {
FileChannel::FileChannel(std::wstring_view, OpenMode, OpenOptions) { source.pos = 0; }
std::size_t FileChannel::readBytes(void* buffer, std::size_t n) {
    n = std::min(n, source.bytes.size() - source.pos);
    std::memcpy(buffer, source.bytes.data() + source.pos, n);
    source.pos += n;
    return n;
}
} // namespace zor

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t blockSize = 1 + data[0] % 8;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t limit = text.size() + 1;

    // Fields: the whole text, the same text block by block, and as UTF-16 text.
    const auto fields = allFields(zor::AnsiReader(text), limit);
    source.bytes = text;
    zor::FileChannel channel(L"", zor::OpenMode::Input);
    FUZZ_CHECK(allFields(zor::FieldStream(channel, blockSize), limit) == fields);
    std::vector<std::wstring> wideFields;
    for (const auto& f : fields) wideFields.emplace_back(f.begin(), f.end());
    FUZZ_CHECK(allFields(zor::TextReader(std::wstring(text.begin(), text.end())), limit) == wideFields);
    std::string joined;
    for (const auto& f : fields) joined += f;
    FUZZ_CHECK(zor::AnsiReader(text).joinFields([] {}) == joined);
    FUZZ_CHECK(fields.size() <= count(text, ',') + count(text, '\r') + count(text, '\n') + 1);

    // Lines: none holds a CR; written back with CR LF they read back the same.
    const auto lines = allLines(text);
    FUZZ_CHECK(lines.size() <= count(text, '\r') + 1);
    std::string written;
    for (const auto& l : lines) {
        FUZZ_CHECK(l.find('\r') == std::string::npos);
        written += l + "\r\n";
    }
    FUZZ_CHECK(allLines(written) == lines);

    // Fields written as a file holds them (plain fields with no delimiter, quote or leading
    // blank; quoted fields with anything but a quote) read back the same, block-wise too.
    std::vector<std::string> plain, quoted;
    std::string plainText, quotedText;
    for (const auto& l : lines) {
        std::string p, q;
        for (char c : l) {
            if (c != '"') q += c;
            if (c != '"' && c != ',' && c != '\n' && !(c == ' ' && p.empty())) p += c;
        }
        plainText += p + (plain.size() % 2 ? "\r\n" : ",");
        quotedText += "\"" + q + "\"" + (quoted.size() % 2 ? "\n" : " ,");
        plain.push_back(p);
        quoted.push_back(q);
    }
    FUZZ_CHECK(allFields(zor::AnsiReader(plainText), limit) == plain);
    FUZZ_CHECK(allFields(zor::AnsiReader(quotedText), limit) == quoted);
    source = {quotedText, 0};
    FUZZ_CHECK(allFields(zor::FieldStream(channel, blockSize), limit) == quoted);
    return 0;
}
