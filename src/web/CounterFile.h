// The hit-counter file, held open while its count is read and rewritten. A request that
// increments holds the file exclusively; one that only reads shares it with other readers.
// While another request holds it, the open is retried for a short, bounded time.
#pragma once
#include <string>
#include <string_view>
#include "../frame/values.h"

namespace zor {

class CounterFile {
public:
    static constexpr DWORD retryMs = 2000;

    // Creates a new counter holding 1 (the digit and CR LF). False when the file exists
    // already (another request made it first): the caller then reads it like any other.
    // An existing hidden or system file is error 75: it is neither counted in nor emptied.
    static bool createWithOne(std::wstring_view path);

    CounterFile(std::wstring_view path, bool forUpdate);

    // The count on the first line, rounded to a 32-bit integer (halves to even); error 62 for
    // an empty file, 6 for a count outside the 32-bit range.
    long read();

    // Writes the count and CR LF over the old line and then cuts the file after it, so the
    // file never stands empty.
    void write(long count);

private:
    Handle h_;
};

} // namespace zor
