// Byte-wise file access in blocks: one file opened for reading or writing, read and written
// sequentially from its start. Failures are errors of the catalogue (53 file not found, 70
// permission denied, 62 input past end of file, ...).
#pragma once
#include <windows.h>
#include <string_view>
#include "../frame/values.h"

namespace zor {

class BinaryFile {
public:
    enum Mode {
        readExisting,   // an existing file, for reading
        createTruncate, // for writing: created when missing, emptied when present
        writeExisting,  // an existing file, for writing over its bytes without emptying it first
    };

    BinaryFile(std::wstring_view path, Mode mode);

    unsigned long long size() const;
    // Reads exactly `bytes` bytes at the current position; fewer left is error 62.
    void read(void* buffer, DWORD bytes);
    void write(const void* buffer, DWORD bytes);
    // Whether path names this very file (also through another spelling of its name).
    bool isSameFileAs(std::wstring_view path) const;
    void close();

private:
    Handle handle_;
};

// Puts the file `source` in the place of `target` in one step: either target then holds
// source's content and source is gone, or (on failure) both stay as they were.
void replaceFile(std::wstring_view source, std::wstring_view target);

} // namespace zor
