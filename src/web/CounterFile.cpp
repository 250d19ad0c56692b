#include "web/CounterFile.h"
#include "runtime/leadingnumber.h"
#include "runtime/numbers.h"
#include "runtime/text.h"
#include <string>

namespace zor {

bool CounterFile::createWithOne(std::wstring_view path) {
    try {
        // Nobody opens the new file until it holds its count.
        FileChannel created(path, OpenMode::New, {.waitMs = waitMs});
        created.writeBytes("1\r\n");
        created.close();
        return true;
    } catch (const Error& e) {
        if (e.number != errFileAlreadyExists) throw;
    }
    // Another request made it first: read it like any counter. A hidden or system file, which
    // the existence test does not see, is not ours to count in or to empty.
    const DWORD attributes = GetFileAttributesW(std::wstring(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        throw Error(errPathFileAccess);
    return false;
}

CounterFile::CounterFile(std::wstring_view path, bool forUpdate)
    : file_(path, forUpdate ? OpenMode::Update : OpenMode::Input, {.shareWrite = true, .waitMs = waitMs}) {
    if (forUpdate) file_.takeTurn(waitMs);
}

long CounterFile::read() {
    // Only the first line counts: it ends at a CR (a CR LF included).
    std::string line;
    char buffer[512];
    bool any = false;
    file_.seek(0);
    for (;;) {
        size_t got = file_.readBytes(buffer, sizeof buffer);
        if (got == 0) break;
        any = true;
        std::string_view chunk(buffer, got);
        size_t cr = chunk.find('\r');
        line.append(chunk.substr(0, cr));
        if (cr != std::string_view::npos) break;
    }
    if (!any) throw Error(errInputPastEnd);
    return roundToInteger32(leadingNumber(fromAnsi(line)));
}

void CounterFile::write(long count) {
    file_.seek(0);
    file_.writeBytes(std::to_string(count) + "\r\n");
    file_.cutHere();
    file_.close();
}

} // namespace zor
