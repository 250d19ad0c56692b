// The few Windows types and file calls that the pure parsers use, over POSIX, so that they build
// natively for the sanitizers and the fuzzer. Nothing here runs in the library itself.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#define __stdcall
typedef int32_t HRESULT;
typedef uint32_t DWORD;
typedef int BOOL;
typedef void* HANDLE;
typedef union {
    struct {
        uint32_t LowPart;
        int32_t HighPart;
    };
    long long QuadPart;
} LARGE_INTEGER;
typedef struct {
    uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
} SYSTEMTIME;

#define S_OK 0
#define FAILED(hr) ((HRESULT)(hr) < 0)
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_NAME 123u
#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 1u
#define FILE_SHARE_WRITE 2u
#define FILE_SHARE_DELETE 4u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define FILE_TYPE_DISK 1u
#define FILE_TYPE_CHAR 2u
#define PAGE_READONLY 2u
#define FILE_MAP_READ 4u

namespace shim {
inline thread_local DWORD lastError = 0;
// A handle is a descriptor plus one, so that 0 stays "no handle".
inline int fd(HANDLE h) { return int(intptr_t(h)) - 1; }
inline HANDLE handle(int fd) { return HANDLE(intptr_t(fd + 1)); }
} // namespace shim

inline DWORD GetLastError() { return shim::lastError; }
inline HANDLE CreateFileA(const char* path, DWORD, DWORD, void*, DWORD, DWORD, void*) {
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        shim::lastError = errno == ENOENT ? ERROR_FILE_NOT_FOUND : errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    return shim::handle(fd);
}
inline DWORD GetFileType(HANDLE h) {
    struct stat s;
    return fstat(shim::fd(h), &s) == 0 && S_ISREG(s.st_mode) ? FILE_TYPE_DISK : FILE_TYPE_CHAR;
}
inline BOOL GetFileSizeEx(HANDLE h, LARGE_INTEGER* size) {
    struct stat s;
    if (fstat(shim::fd(h), &s) != 0) return 0;
    size->QuadPart = s.st_size;
    return 1;
}
inline HANDLE CreateFileMappingA(HANDLE file, void*, DWORD, DWORD, DWORD, const char*) { return shim::handle(dup(shim::fd(file))); }
// The view is exactly as long as asked (0: to the end of the file): a read past its end is
// caught by the address checker.
inline void* MapViewOfFile(HANDLE mapping, DWORD, DWORD high, DWORD low, size_t size) {
    struct stat s;
    off_t at = off_t((uint64_t(high) << 32) | low);
    if (fstat(shim::fd(mapping), &s) != 0 || at % 65536 || at >= s.st_size) return nullptr;
    if (size == 0) size = size_t(s.st_size - at);
    if (off_t(size) > s.st_size - at) return nullptr;
    void* copy = malloc(size);
    if (pread(shim::fd(mapping), copy, size, at) != ssize_t(size)) {
        free(copy);
        return nullptr;
    }
    return copy;
}
typedef struct {
    DWORD dwAllocationGranularity;
} SYSTEM_INFO;
inline void GetSystemInfo(SYSTEM_INFO* si) { si->dwAllocationGranularity = 65536; }
inline BOOL UnmapViewOfFile(const void* view) {
    free(const_cast<void*>(view));
    return 1;
}
inline BOOL CloseHandle(HANDLE h) { return close(shim::fd(h)) == 0; }
// The other owners of runtime/handles.h: declared for the header, never called here.
typedef void* HKEY;
typedef void* HGDIOBJ;
typedef void* HDC;
typedef void* HWND;
long RegCloseKey(HKEY);
BOOL DeleteObject(HGDIOBJ);
BOOL DeleteDC(HDC);
BOOL DestroyWindow(HWND);
