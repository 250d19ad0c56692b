#include "system/folders.h"
#include "runtime/errors.h"

namespace zor {

void makeDirectory(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return;
    DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) throw Error(errPathFileAccess);
    throw code == ERROR_FILE_NOT_FOUND ? Error(errPathNotFound) : Error::fromWin32(code);
}

bool isWithin(const std::wstring& inner, const std::wstring& outer) {
    return inner.size() >= outer.size() &&
           CompareStringOrdinal(inner.data(), static_cast<int>(outer.size()), outer.data(),
                                static_cast<int>(outer.size()), TRUE) == CSTR_EQUAL;
}

} // namespace zor
