#include "runtime/guards.h"
#include "runtime/errors.h"

namespace zor {

namespace {

std::wstring currentDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring path(n, L'\0');
    n = GetCurrentDirectoryW(n, path.data());
    if (n == 0 || n >= path.size()) throw Error::lastWin32();
    path.resize(n);
    return path;
}

} // namespace

CurrentDirectoryKept::CurrentDirectoryKept() : path_(currentDirectory()) {}

CurrentDirectoryKept::~CurrentDirectoryKept() { SetCurrentDirectoryW(path_.c_str()); }

} // namespace zor
