// File channels of the automation runtime: a file opened for input, output, append or binary
// access, with the error numbers of the catalogue; and the whole-file text read that the line
// and field readers work on. Every channel closes its handle when it goes, so no failure
// leaves a file open.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <string_view>
#include "runtime/errors.h"
#include "runtime/handles.h"

namespace zor {

enum class OpenMode {
    Input,  // an existing file, read only; others may read and write it meanwhile
    Output, // created, or emptied when it exists
    Append, // created when missing; every write goes to the end; appenders take turns
    Binary, // created when missing; read and written at a position
    Update, // an existing file, read and written at a position; never created
    New,    // created, error 58 when it exists; nobody else may open it until it is closed
};

struct OpenOptions {
    // Others may write the file while it is open (Input and Append always allow it).
    bool shareWrite = false;
    // While another holder refuses the open (a sharing or lock violation), it is tried again
    // for so many milliseconds, with the caller's window messages flowing; then error 70.
    // Append waits at least appendWaitMs.
    DWORD waitMs = 0;
};

class FileChannel {
public:
    static constexpr DWORD appendWaitMs = 1000;

    // Errors: 53 file not found, 76 path not found, 70 permission denied or file in use,
    // 75 when the name is a directory, 52 for a name the file system rejects.
    FileChannel(std::wstring_view path, OpenMode mode, OpenOptions options = {});
    FileChannel(const FileChannel&) = delete;
    FileChannel& operator=(const FileChannel&) = delete;

    std::uint64_t size() const;

    // Text in the system ANSI code page; writeLine ends the line with CR LF.
    void writeText(std::wstring_view text);
    void writeLine(std::wstring_view text);
    void writeBytes(std::string_view bytes);

    // Binary access: read at most n bytes at the current position (fewer at the end of the
    // file, 0 there), and move the position.
    std::size_t readBytes(void* buffer, std::size_t n);
    // Exactly n bytes; fewer left in the file is error 62.
    void readExact(void* buffer, std::size_t n);
    void seek(std::uint64_t position);
    // Ends the file at the current position.
    void cutHere();
    // Writes what the platform still holds of the file through to the disk.
    void flush();

    // Whether path names this very file, also through another spelling of its name.
    bool isSameFileAs(std::wstring_view path) const;

    // The whole file from its start as bytes: one size query, one read.
    std::string readAll();

    // Takes this file's turn among the channels that take turns on it, waiting with the
    // caller's window messages flowing; the turn ends when the channel closes. Channels that
    // do not take turns (readers) are neither held up nor hold anyone up. Error 70 when the
    // turn does not come within waitMs.
    void takeTurn(DWORD waitMs);

    // Closes now and reports a failure; the destructor closes silently.
    void close();

private:
    Handle h_;
};

// The error of a failed open or rename of path: a directory where a file is expected is a
// path/file access error (75), an empty name a bad file name (52); the rest follows the Win32 code.
Error fileError(DWORD code, std::wstring_view path);

// The whole text of a file opened for input, converted from the system ANSI code page once;
// or its bytes as they are.
std::wstring readTextFile(std::wstring_view path);
std::string readAnsiFile(std::wstring_view path);

// Deleting and renaming a file, with the catalogue's errors (53, 58, 70, 75, 76).
void deleteFile(std::wstring_view path);
void renameFile(std::wstring_view from, std::wstring_view to);

// Puts the file source in the place of target: either target then holds source's content and
// source is gone, or on failure target stays as it was. Within a volume this is one rename;
// across volumes a copy beside target is renamed over it, then source is deleted.
void replaceFile(std::wstring_view source, std::wstring_view target);

// The full path of a name, resolved against the current directory; the name itself when the
// platform cannot resolve it.
std::wstring fullPath(std::wstring_view path);

// The path in the form that every platform call takes whatever its length: as spelled while its
// full form is short, else the full path with the \\?\ prefix (\\?\UNC\ for a share).
std::wstring extendedPath(std::wstring_view path);

// A new, empty file in the folder of `beside`, under a free name, for content that is to take
// another file's place. It is deleted again when this object goes, unless keep() was called
// after it went to its place.
class ScratchFile {
public:
    explicit ScratchFile(std::wstring_view beside);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::wstring& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    std::wstring path_;
};

// The last-write time of a file or directory in local time.
SYSTEMTIME lastWriteLocal(std::wstring_view path);

// The same file or directory named twice (full paths compared without regard to case).
bool samePath(std::wstring_view a, std::wstring_view b);

// Whether the volume of path's folder has room for `bytes` more: a scratch file beside it takes
// them and goes at once (also when the process dies). False only when the volume is full; any
// other trouble is left to the caller's own file operation to report.
bool volumeHasRoom(std::wstring_view path, std::size_t bytes);

// A named mutex for a file across every process of the machine (every session and account),
// named after the file's full path (in any case). The turn is taken within waitMs, the caller's
// window messages flowing; taken() tells whether it was. A turn left by a process that ended is
// taken over.
// The name of that mutex for path, in the global or the session's namespace; the same for every
// spelling of one file, and of one length (within the platform's limit) for every path.
std::wstring fileTurnName(std::wstring_view path, bool global = true);

class FileMutex {
public:
    FileMutex(std::wstring_view path, DWORD waitMs);
    ~FileMutex();
    FileMutex(const FileMutex&) = delete;
    FileMutex& operator=(const FileMutex&) = delete;
    bool taken() const { return taken_; }

private:
    HANDLE mutex_ = nullptr;
    bool taken_ = false;
};

// Waits, the caller's window messages flowing, until the file can be opened with `access` while
// others keep it open for reading and writing, or waitMs have passed. False only when another
// holder still refuses it; a file that is missing or cannot be opened for another reason is left
// to the caller's own file operation.
bool waitWhileHeld(std::wstring_view path, DWORD access, DWORD waitMs);

// Whether every line of the file is shorter than limit bytes; true too when it cannot be read
// (the caller's own file operation reports that). The file is read in blocks.
bool linesShorterThan(std::wstring_view path, std::size_t limit);

} // namespace zor
