// Tables, memo and index files, read through read-only views: a table's header, field list,
// records and memo texts; an index's header, pages and an in-order cursor over its keys.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "expr.h"

namespace engine {

// A file of up to 4 GB. One view of the whole file when it is small; otherwise a window that
// slides to the bytes asked for, so that a 32-bit process can read files larger than its free
// address space.
class MappedFile {
public:
    static constexpr uint64_t wholeLimit = 64u << 20; // larger files are read through a window
    static constexpr uint64_t window = 32u << 20;
    static constexpr uint64_t largest = 1ull << 32;

    // Throws Failure: ENGINE_FILE_NOT_FOUND, or ENGINE_FILE_ERROR for anything that is not a
    // readable disk file of at most 4 GB.
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    uint64_t size() const { return size_; }
    // Bytes [at, at + n) of the file, which the caller has checked lie in it (n at most 128 KB).
    // Valid until the next call on this file.
    const uint8_t* bytes(uint64_t at, uint32_t n) const {
        if (at >= start_ && at + n <= start_ + length_) return view_ + (at - start_);
        return slide(at, n);
    }

private:
    const uint8_t* slide(uint64_t at, uint32_t n) const;

    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    uint64_t size_ = 0;
    mutable const uint8_t* view_ = nullptr;
    mutable uint64_t start_ = 0, length_ = 0; // the part of the file in view
};

// The dBASE III memo file beside a table: 512-byte blocks, a text running from its block to
// the first 0x1A or the end of the file.
class Memo {
public:
    explicit Memo(const std::string& path); // throws like MappedFile, ENGINE_CORRUPT_MEMO
    // The text that a memo field's bytes point to, into `buffer`; its length. Throws
    // ENGINE_CORRUPT_MEMO for a block number that is no number or lies past the file.
    size_t text(const char* field, uint32_t length, std::string& buffer) const;

private:
    MappedFile file_;
};

class Table {
public:
    explicit Table(const std::string& path); // throws ENGINE_CORRUPT_TABLE for a bad header
    uint32_t records() const { return records_; }
    uint32_t headerSize() const { return headerSize_; }
    uint32_t recordSize() const { return recordSize_; }
    const std::vector<Field>& fields() const { return fields_; }
    const std::string& folder() const { return folder_; }
    // 0 when the table has no memo fields or its memo file opened; otherwise why it did not.
    uint32_t memoFailure() const { return memoFailure_; }
    // Record n (1-based); any other number gives the blank record at the end of the table.
    Record record(uint32_t recno) const;

private:
    MappedFile file_;
    std::unique_ptr<Memo> memo_;
    uint32_t memoFailure_ = 0;
    std::string folder_;
    uint32_t records_ = 0, headerSize_ = 0, recordSize_ = 0;
    std::vector<Field> fields_;
    std::string blank_;
};

// A place in an index order: the pages from the root down and the item in each.
struct Position {
    struct Step {
        uint32_t page;
        uint32_t item;
    };
    std::vector<Step> steps; // empty: past the last key
};

class Index {
public:
    // Throws ENGINE_CORRUPT_INDEX for a bad header, ENGINE_INDEX_MISMATCH when the key
    // expression does not fit the table.
    Index(const std::string& path, const Table& table);
    const std::string& keyExpression() const { return keyText_; }
    uint32_t keySize() const { return keySize_; }
    uint32_t keyDecimals() const { return keyDecimals_; }
    bool unique() const { return unique_; }
    bool descending() const { return descending_; }
    bool numeric() const { return typeOf(*key_) == Type::Number; }
    // More keys than this in one walk means that pages are shared or looped: a damaged file.
    uint64_t capacity() const { return file_.size() / 1024 * maxItems_; }

    // The key of a record as the index stores it, and a numeric key from its text.
    std::string keyOf(const Record& r) const;
    std::string numericKey(const std::string& text) const;

    void first(Position& p) const;
    void next(Position& p) const;
    // The first key in order that is not before `key` compared on its own length; with recno
    // given, equal keys are ordered by record number as well.
    void seek(Position& p, const std::string& key, uint32_t recno = 0) const;
    // The current key's record number (checked against the table) and its bytes.
    uint32_t recno(const Position& p) const;
    const char* key(const Position& p) const;

private:
    std::string numberKey(double n) const;
    uint16_t u16(uint64_t at) const;
    uint32_t u32(uint64_t at) const;
    uint32_t count(uint32_t page) const;
    uint64_t item(uint32_t page, uint32_t i) const; // byte offset of item i (i <= count)
    uint32_t child(uint32_t page, uint32_t i) const;
    void push(Position& p, uint32_t page, uint32_t i) const;
    void leftmost(Position& p) const;
    void settle(Position& p) const;

    MappedFile file_;
    const Table& table_;
    std::string keyText_;
    Expression key_;
    uint32_t root_ = 0, itemSize_ = 0, keySize_ = 0, keyDecimals_ = 0, maxItems_ = 0;
    bool unique_ = false, descending_ = false;
};

} // namespace engine
