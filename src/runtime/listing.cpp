#include "runtime/listing.h"
#include "runtime/errors.h"

namespace zor {

namespace {

// A name with an ordinary file among its folders ("a.txt\b", "a.txt\b\c") names nothing that can
// exist: it is missing, not invalid, although the platform may answer "invalid name" or "not a
// directory".
bool throughAFile(const std::wstring& name) {
    for (size_t sep = name.find_last_of(L"\\/"); sep != std::wstring::npos && sep > 0;
         sep = name.find_last_of(L"\\/", sep - 1)) {
        DWORD a = GetFileAttributesW(name.substr(0, sep).c_str());
        if (a != INVALID_FILE_ATTRIBUTES) return !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    return false;
}

} // namespace

DirListing::DirListing(std::wstring_view name, unsigned mask) : mask_(mask) {
    if (name.empty()) return; // nothing is named, nothing is found
    std::wstring pattern(name);
    // A directory given with its separator is listed as its contents.
    if (pattern.back() == L'\\' || pattern.back() == L'/') pattern += L'*';
    find_ = FindFirstFileW(pattern.c_str(), &data_);
    if (find_ == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES) return;
        if ((code == ERROR_INVALID_NAME || code == ERROR_DIRECTORY) && throughAFile(pattern)) return;
        throw Error::fromWin32(code);
    }
    pending_ = true;
}

DirListing::~DirListing() {
    if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
}

namespace {
bool maskAdmits(unsigned mask, DWORD attributes) {
    const DWORD special = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (attributes & special & ~static_cast<DWORD>(mask)) == 0;
}
} // namespace

bool DirListing::admits(DWORD attributes) const { return maskAdmits(mask_, attributes); }

bool DirListing::next(DirEntry& entry) {
    if (find_ == INVALID_HANDLE_VALUE) return false;
    for (;;) {
        if (!pending_ && !FindNextFileW(find_, &data_)) {
            DWORD code = GetLastError();
            if (code == ERROR_NO_MORE_FILES) return false;
            throw Error::fromWin32(code);
        }
        pending_ = false;
        if (!admits(data_.dwFileAttributes)) continue;
        entry.name = data_.cFileName;
        entry.attributes = data_.dwFileAttributes;
        entry.lastWrite = data_.ftLastWriteTime;
        entry.size = (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
        return true;
    }
}

bool anyEntry(std::wstring_view name, unsigned mask) {
    // A pattern, a folder's contents ("dir\") and a drive's current folder ("C:") are listed.
    // Any other name is one entry: one attribute query answers it, and only a name that the
    // query rejects is left to the listing's rules for invalid names.
    // No entry is named by nothing, nor by a name with a NUL in it.
    if (name.empty() || name.find(L'\0') != std::wstring_view::npos) return false;
    const wchar_t last = name.back();
    if (name.find_first_of(L"*?") == std::wstring_view::npos && last != L'\\' && last != L'/' && last != L':') {
        // The name with its terminator: on the stack when it is short, as it nearly always is.
        wchar_t shortName[MAX_PATH + 1];
        std::wstring longName;
        const wchar_t* terminated = shortName;
        if (name.size() <= MAX_PATH) {
            name.copy(shortName, name.size());
            shortName[name.size()] = L'\0';
        } else {
            longName.assign(name);
            terminated = longName.c_str();
        }
        const DWORD attributes = GetFileAttributesW(terminated);
        if (attributes != INVALID_FILE_ATTRIBUTES) return maskAdmits(mask, attributes);
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return false;
    }
    DirListing listing(name, mask);
    DirEntry entry;
    return listing.next(entry);
}

} // namespace zor
