#include "CounterFile.h"
#include "../runtime/files.h"
#include "../runtime/leadingnumber.h"
#include "../runtime/numbers.h"
#include <string>

namespace zor {

namespace {

// Opens with retries while another request holds the file; other failures at once.
HANDLE openHeld(std::wstring_view path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring p(path);
    const DWORD start = GetTickCount();
    for (DWORD pause = 1;; pause = pause < 16 ? pause * 2 : 16) {
        HANDLE h = CreateFileW(p.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        const DWORD e = GetLastError();
        const bool held = e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION;
        if (!held || GetTickCount() - start > CounterFile::retryMs) {
            SetLastError(e);
            return INVALID_HANDLE_VALUE;
        }
        ::Sleep(pause);
    }
}

void writeAll(HANDLE h, const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
        throw Error::lastWin32();
}

} // namespace

bool CounterFile::createWithOne(std::wstring_view path) {
    HANDLE raw = openHeld(path, GENERIC_WRITE, 0, CREATE_NEW);
    if (raw == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) throw fileError(code, path);
        // Another request made it first: read it like any counter. A hidden or system file,
        // which the existence test does not see, is not ours to count in or to empty.
        const DWORD attributes = GetFileAttributesW(std::wstring(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            throw Error(errPathFileAccess);
        return false;
    }
    Handle h(raw);
    writeAll(h.get(), "1\r\n");
    return true;
}

CounterFile::CounterFile(std::wstring_view path, bool forUpdate) {
    HANDLE raw = forUpdate ? openHeld(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING)
                           : openHeld(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (raw == INVALID_HANDLE_VALUE) throw fileError(GetLastError(), path);
    h_ = Handle(raw);
}

long CounterFile::read() {
    // Only the first line counts: it ends at a CR (a CR LF included).
    std::string line;
    char buffer[512];
    bool any = false;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h_.get(), buffer, sizeof buffer, &got, nullptr)) throw Error::lastWin32();
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
    if (SetFilePointer(h_.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) throw Error::lastWin32();
    writeAll(h_.get(), std::to_string(count) + "\r\n");
    if (!SetEndOfFile(h_.get())) throw Error::lastWin32();
}

} // namespace zor
