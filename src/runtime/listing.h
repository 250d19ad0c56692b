// Directory listing by name: the name may be a file, a directory given with a trailing "\",
// or a pattern with the wildcards "*" and "?". An attribute mask says which entries count:
// ordinary files always (read-only and archive files included), hidden, system files and
// directories only when the mask has their bit.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>

namespace zor {

enum ListAttributes : unsigned {
    listNormal = 0,
    listHidden = FILE_ATTRIBUTE_HIDDEN,       // 2
    listSystem = FILE_ATTRIBUTE_SYSTEM,       // 4
    listDirectory = FILE_ATTRIBUTE_DIRECTORY, // 16
};

struct DirEntry {
    std::wstring name; // the entry's own name, without its directory ("." and ".." included)
    DWORD attributes = 0;
    FILETIME lastWrite{};
    std::uint64_t size = 0;
};

class DirListing {
public:
    // A name the file system rejects (an invalid name, a drive that is not ready) is an error;
    // a missing file or path gives an empty listing.
    DirListing(std::wstring_view name, unsigned mask);
    DirListing(const DirListing&) = delete;
    DirListing& operator=(const DirListing&) = delete;
    ~DirListing();

    // The next entry that the mask admits; false at the end.
    bool next(DirEntry& entry);

private:
    bool admits(DWORD attributes) const;

    HANDLE find_ = INVALID_HANDLE_VALUE;
    unsigned mask_;
    WIN32_FIND_DATAW data_{};
    bool pending_ = false; // data_ holds an entry not handed out yet
};

// True when the listing of name would find at least one entry. A plain name (no wildcard, no
// trailing separator) is answered by one attribute query with the same verdict; a name with a
// NUL in it names nothing.
bool anyEntry(std::wstring_view name, unsigned mask);

// The existence tests: an ordinary file; a directory or an ordinary file.
inline bool fileExists(std::wstring_view name) { return anyEntry(name, listNormal); }
inline bool fileOrDirExists(std::wstring_view name) { return anyEntry(name, listDirectory); }

} // namespace zor
