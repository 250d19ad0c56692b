// The hit-counter file. Requests that increment take turns on the file, so none loses an
// increment; requests that only read, and any other reader of the file, share it freely: they
// never wait for an incrementing request nor make one wait. The count is rewritten in place and
// the file never stands empty.
#pragma once
#include <string_view>
#include "runtime/files.h"

namespace zor {

class CounterFile {
public:
    // How long a request waits for its turn, or for another holder to let the file go.
    static constexpr DWORD waitMs = 2000;

    // Creates a new counter holding 1 (the digit and CR LF). False when the file exists
    // already (another request made it first): the caller then reads it like any other.
    // An existing hidden or system file is error 75: it is neither counted in nor emptied.
    static bool createWithOne(std::wstring_view path);

    // Opens the counter; one that increments waits for its turn.
    CounterFile(std::wstring_view path, bool forUpdate);

    // The count on the first line, rounded to a 32-bit integer (halves to even); error 62 for
    // an empty file, 6 for a count outside the 32-bit range.
    long read();

    // Writes the count and CR LF over the old line and then cuts the file after it, so the
    // file never stands empty.
    void write(long count);

private:
    FileChannel file_;
};

} // namespace zor
