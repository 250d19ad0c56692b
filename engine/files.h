// Tables and index files, read through a read-only view of the whole file: a table's header,
// field list and records; an index's header, pages and an in-order cursor over its keys.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "expr.h"

namespace engine {

class MappedFile {
public:
    // Throws Failure: ENGINE_FILE_NOT_FOUND, or ENGINE_FILE_ERROR for anything that is not a
    // readable disk file.
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    const uint8_t* data() const { return view_; }
    uint64_t size() const { return size_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const uint8_t* view_ = nullptr;
    uint64_t size_ = 0;
};

class Table {
public:
    explicit Table(const std::string& path); // throws ENGINE_CORRUPT_TABLE for a bad header
    uint32_t records() const { return records_; }
    uint32_t headerSize() const { return headerSize_; }
    uint32_t recordSize() const { return recordSize_; }
    const std::vector<Field>& fields() const { return fields_; }
    const std::string& folder() const { return folder_; }
    // Record n (1-based); any other number gives the blank record at the end of the table.
    Record record(uint32_t recno) const;

private:
    MappedFile file_;
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
