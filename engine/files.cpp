#include "files.h"
#include <algorithm>
#include <cstring>
#include "ace32.h"

namespace engine {

namespace {
constexpr uint32_t pageSize = 1024;
constexpr size_t maxDepth = 64; // deeper than any real tree; stops a page cycle
[[noreturn]] void corruptTable() { throw Failure{ENGINE_CORRUPT_TABLE}; }
[[noreturn]] void corruptIndex() { throw Failure{ENGINE_CORRUPT_INDEX}; }
} // namespace

MappedFile::MappedFile(const std::string& path) {
    file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        throw Failure{e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME
                          ? uint32_t(ENGINE_FILE_NOT_FOUND) : uint32_t(ENGINE_FILE_ERROR)};
    }
    LARGE_INTEGER size;
    // Devices (CON, NUL, pipes) are no tables; page and block offsets end at 4 GB.
    if (GetFileType(file_) != FILE_TYPE_DISK || !GetFileSizeEx(file_, &size) || uint64_t(size.QuadPart) > largest) {
        CloseHandle(file_);
        throw Failure{ENGINE_FILE_ERROR};
    }
    size_ = uint64_t(size.QuadPart);
    if (size_ == 0) return; // an empty file cannot be mapped; the readers find it too short
    // Read-only, as the handle was opened; the views are read-only too.
    mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_) {
        CloseHandle(file_);
        throw Failure{ENGINE_FILE_ERROR};
    }
    if (size_ <= wholeLimit) {
        view_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
        if (!view_) {
            CloseHandle(mapping_);
            CloseHandle(file_);
            throw Failure{ENGINE_FILE_ERROR};
        }
        length_ = size_;
    }
}

MappedFile::~MappedFile() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    CloseHandle(file_);
}

// Maps the window that holds [at, at + n). A view starts on the allocation granularity and
// ends at the end of the file at the latest.
const uint8_t* MappedFile::slide(uint64_t at, uint32_t n) const {
    static const uint64_t granularity = [] {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        return uint64_t(si.dwAllocationGranularity ? si.dwAllocationGranularity : 65536);
    }();
    if (at + n > size_) throw Failure{ENGINE_FILE_ERROR}; // a reader's bounds check missed
    if (view_) UnmapViewOfFile(view_);
    view_ = nullptr;
    start_ = length_ = 0;
    uint64_t start = at / granularity * granularity;
    uint64_t length = std::min(std::max<uint64_t>(window, at + n - start), size_ - start);
    void* v = MapViewOfFile(mapping_, FILE_MAP_READ, DWORD(start >> 32), DWORD(start), size_t(length));
    if (!v) throw Failure{ENGINE_OUT_OF_MEMORY}; // no room in the address space
    view_ = static_cast<const uint8_t*>(v);
    start_ = start;
    length_ = length;
    return view_ + (at - start);
}

// ---- memo files -------------------------------------------------------------------------

namespace {
constexpr uint32_t memoBlock = 512;
constexpr size_t longestMemo = 1 << 20; // as the evaluator's longest text
} // namespace

Memo::Memo(const std::string& path) : file_(path) {
    if (file_.size() < memoBlock) throw Failure{ENGINE_CORRUPT_MEMO};
}

size_t Memo::text(const char* field, uint32_t length, std::string& buffer) const {
    uint64_t block = 0;
    if (length == 4) { // a binary block number, as some engines write it
        block = uint8_t(field[0]) | uint32_t(uint8_t(field[1])) << 8 | uint32_t(uint8_t(field[2])) << 16 |
                uint32_t(uint8_t(field[3])) << 24;
    } else {
        uint32_t i = 0;
        while (i < length && field[i] == ' ') ++i;
        for (; i < length && field[i] != ' '; ++i) {
            if (field[i] < '0' || field[i] > '9') throw Failure{ENGINE_CORRUPT_MEMO};
            block = block * 10 + uint64_t(field[i] - '0');
        }
        while (i < length && field[i] == ' ') ++i;
        if (i != length) throw Failure{ENGINE_CORRUPT_MEMO};
    }
    if (block == 0) return 0; // no memo
    uint64_t at = block * memoBlock, size = file_.size();
    if (at >= size) throw Failure{ENGINE_CORRUPT_MEMO};
    // The text ends at the first 0x1A, or at the end of the file.
    size_t n = 0;
    for (;;) {
        uint32_t part = uint32_t(std::min<uint64_t>(65536, size - at));
        if (part == 0) break;
        const uint8_t* p = file_.bytes(at, part);
        const void* end = std::memchr(p, 0x1A, part);
        uint32_t take = end ? uint32_t(static_cast<const uint8_t*>(end) - p) : part;
        if (n + take > longestMemo) throw Failure{ENGINE_EXPRESSION};
        if (buffer.size() < n + take) buffer.resize(std::max(n + take, buffer.size() * 2));
        std::memcpy(buffer.data() + n, p, take);
        n += take;
        if (end) break;
        at += part;
    }
    return n;
}

// ---- tables -----------------------------------------------------------------------------

Table::Table(const std::string& path) : file_(path) {
    size_t slash = path.find_last_of("\\/:");
    folder_ = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    uint64_t size = file_.size();
    if (size < 33) corruptTable();
    const uint8_t* d = file_.bytes(0, 12);
    records_ = uint32_t(d[4] | d[5] << 8 | d[6] << 16) | uint32_t(d[7]) << 24;
    headerSize_ = uint32_t(d[8] | d[9] << 8);
    recordSize_ = uint32_t(d[10] | d[11] << 8);
    if (headerSize_ < 33 || headerSize_ > size || recordSize_ < 2) corruptTable();
    d = file_.bytes(0, headerSize_);
    uint32_t offset = 0;
    for (uint32_t at = 32; at < headerSize_ && d[at] != 0x0D; at += 32) {
        if (at + 32 > headerSize_) corruptTable();
        const uint8_t* f = d + at;
        Field field;
        field.name.assign(reinterpret_cast<const char*>(f), strnlen(reinterpret_cast<const char*>(f), 11));
        for (char& c : field.name)
            if (c >= 'a' && c <= 'z') c = char(c - 32);
        field.type = char(f[11]);
        field.length = f[16];
        field.decimals = f[17];
        if (field.type == 'C') { // long character fields keep the high byte of the length there
            field.length |= uint32_t(f[17]) << 8;
            field.decimals = 0;
        }
        if (field.name.empty() || field.length == 0) corruptTable();
        field.offset = offset;
        offset += field.length;
        fields_.push_back(field);
    }
    if (fields_.empty() || offset + 1 != recordSize_) corruptTable();
    if (uint64_t(headerSize_) + uint64_t(records_) * recordSize_ > size) corruptTable(); // truncated
    blank_.assign(recordSize_, ' ');
    // The memo file is read only for expressions that name a memo field: its absence or damage
    // is their failure, not the table's.
    if (std::any_of(fields_.begin(), fields_.end(), [](const Field& f) { return f.type == 'M'; })) {
        size_t dot = path.find_last_of('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
        // The extension in the case of the table's, for file systems that tell cases apart.
        bool upper = dot + 1 < path.size() && path[dot + 1] >= 'A' && path[dot + 1] <= 'Z';
        std::string memo = path.substr(0, dot) + (upper ? ".DBT" : ".dbt");
        try {
            memo_ = std::make_unique<Memo>(memo);
        } catch (const Failure& f) {
            memoFailure_ = f.code == ENGINE_FILE_NOT_FOUND ? ENGINE_MEMO_NOT_FOUND : ENGINE_CORRUPT_MEMO;
        }
    }
}

Record Table::record(uint32_t recno) const {
    if (recno == 0 || recno > records_)
        return Record{&fields_, reinterpret_cast<const uint8_t*>(blank_.data()), recno, true, records_, memo_.get()};
    return Record{&fields_, file_.bytes(headerSize_ + uint64_t(recno - 1) * recordSize_, recordSize_), recno, false,
                  records_, memo_.get()};
}

// ---- indexes ----------------------------------------------------------------------------

Index::Index(const std::string& path, const Table& table) : file_(path), table_(table) {
    if (file_.size() < pageSize) corruptIndex();
    root_ = u32(4);
    itemSize_ = u16(12);
    keySize_ = u16(14);
    keyDecimals_ = u16(16);
    maxItems_ = u16(18);
    const uint8_t* header = file_.bytes(0, pageSize);
    const char* text = reinterpret_cast<const char*>(header + 22);
    keyText_.assign(text, strnlen(text, 256));
    unique_ = header[278] != 0;
    descending_ = header[280] != 0;
    if (keySize_ == 0 || keySize_ > 256 || itemSize_ != keySize_ + 8 || maxItems_ < 2 ||
        2 + 2 * (maxItems_ + 1) + uint64_t(maxItems_) * itemSize_ > pageSize)
        corruptIndex();
    try {
        key_ = parse(keyText_, table.fields());
    } catch (const Failure&) {
        throw Failure{ENGINE_INDEX_MISMATCH};
    }
    // The key of the blank record shows whether the expression makes keys of this size.
    Value v = evaluate(*key_, table.record(0));
    bool fits = v.type == Type::String ? v.text.size() <= keySize_
              : v.type == Type::Date ? keySize_ == 8 : v.type == Type::Logical ? keySize_ == 1 : true;
    if (!fits) throw Failure{ENGINE_INDEX_MISMATCH};
    count(root_); // checks the root page
}

uint16_t Index::u16(uint64_t at) const {
    if (at + 2 > file_.size()) corruptIndex();
    const uint8_t* b = file_.bytes(at, 2);
    return uint16_t(b[0] | b[1] << 8);
}

uint32_t Index::u32(uint64_t at) const { return u16(at) | uint32_t(u16(at + 2)) << 16; }

uint32_t Index::count(uint32_t page) const {
    if (page < pageSize || uint64_t(page) + pageSize > file_.size()) corruptIndex();
    uint32_t n = u16(page);
    if (n > maxItems_) corruptIndex();
    return n;
}

uint64_t Index::item(uint32_t page, uint32_t i) const {
    uint32_t at = u16(uint64_t(page) + 2 + 2 * i);
    if (at < 2 || at + itemSize_ > pageSize) corruptIndex();
    return uint64_t(page) + at;
}

uint32_t Index::child(uint32_t page, uint32_t i) const { return u32(item(page, i)); }

void Index::push(Position& p, uint32_t page, uint32_t i) const {
    if (p.steps.size() >= maxDepth) corruptIndex();
    count(page);
    p.steps.push_back({page, i});
}

// Goes down to the first key of the subtree before the current item.
void Index::leftmost(Position& p) const {
    for (uint32_t c; (c = child(p.steps.back().page, p.steps.back().item)) != 0;) push(p, c, 0);
}

// Climbs out of pages whose keys are all visited; the position then names a key or the end.
void Index::settle(Position& p) const {
    while (!p.steps.empty() && p.steps.back().item >= count(p.steps.back().page)) p.steps.pop_back();
}

void Index::first(Position& p) const {
    p.steps.clear();
    push(p, root_, 0);
    leftmost(p);
    settle(p);
}

void Index::next(Position& p) const {
    if (p.steps.empty()) return;
    ++p.steps.back().item;
    leftmost(p);
    settle(p);
}

void Index::seek(Position& p, const std::string& key, uint32_t recno) const {
    p.steps.clear();
    size_t n = std::min<size_t>(key.size(), keySize_);
    for (uint32_t page = root_;;) {
        push(p, page, 0);
        uint32_t items = count(page), i = 0;
        // count() has checked that the page lies in the file; the page stays in view while its
        // own items are read.
        const uint8_t* base = file_.bytes(page, pageSize);
        for (; i < items; ++i) {
            // item(page, i), read straight from the page
            const uint32_t offset = base[2 + 2 * i] | uint32_t(base[3 + 2 * i]) << 8;
            if (offset < 2 || offset + itemSize_ > pageSize) corruptIndex();
            const uint64_t at = uint64_t(page) + offset;
            // Most keys of a page differ from the search at the first byte: compared inline.
            const uint8_t* k = base + offset + 8;
            const uint8_t first = n ? uint8_t(key[0]) : 0;
            int c = n == 0 ? 0 : k[0] != first ? (k[0] < first ? -1 : 1) : std::memcmp(k, key.data(), n);
            if (descending_) c = -c;
            if (c == 0 && recno) {
                uint32_t r = u32(at + 4);
                c = r < recno ? -1 : r > recno ? 1 : 0;
            }
            if (c >= 0) break;
        }
        p.steps.back().item = i;
        page = child(page, i);
        if (!page) break;
    }
    settle(p);
}

uint32_t Index::recno(const Position& p) const {
    uint32_t r = u32(item(p.steps.back().page, p.steps.back().item) + 4);
    if (r == 0 || r > table_.records()) corruptIndex(); // a key of another table
    return r;
}

const char* Index::key(const Position& p) const {
    return reinterpret_cast<const char*>(file_.bytes(item(p.steps.back().page, p.steps.back().item) + 8, keySize_));
}

std::string Index::keyOf(const Record& r) const {
    Value v = evaluate(*key_, r);
    std::string k;
    switch (v.type) {
    case Type::String: k = v.text; break;
    case Type::Date: k = dtos(v.day); break;
    case Type::Logical: k = v.b ? "T" : "F"; break;
    case Type::Number: k = numberKey(v.num); break;
    }
    k.resize(keySize_, ' ');
    return k;
}

std::string Index::numericKey(const std::string& text) const {
    size_t i = text.find_first_not_of(' ');
    return numberKey(i == std::string::npos ? 0 : std::strtod(text.c_str() + i, nullptr));
}

// Numbers are ordered as text: blanks become zeros, and a negative number's digits are mirrored
// below '0' so that larger magnitudes sort first.
std::string Index::numberKey(double n) const {
    std::string k = str(n, int(keySize_), int(keyDecimals_));
    bool negative = k.find('-') != std::string::npos;
    for (char& c : k) {
        if (c == ' ' || c == '-') c = '0';
        if (negative && c >= '0' && c <= '9') c = char('0' - (c - '0') - 4);
    }
    return k;
}

} // namespace engine
