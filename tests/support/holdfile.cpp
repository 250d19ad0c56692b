// Test helper: holdfile <path> <ready event> <release event> [shared|reading|lock]. Opens the
// file (creating it when missing) with no sharing, or for reading only, sharing everything
// ("shared") or only reading ("reading"), or sharing everything with an exclusive lock on its
// first 4 bytes ("lock"); signals "ready" and keeps it open until "release" is set.
#include <windows.h>
#include <shellapi.h>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 4 && argc != 5) return 2;
    const bool locks = argc == 5 && lstrcmpW(argv[4], L"lock") == 0, reader = argc == 5 && !locks;
    const bool sharesAll = locks || (reader && lstrcmpW(argv[4], L"shared") == 0);
    HANDLE file = CreateFileW(argv[1], reader ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                              sharesAll ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : reader ? FILE_SHARE_READ : 0,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    OVERLAPPED start{};
    if (locks && !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 4, 0, &start)) return 4;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release) return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 120000);
    CloseHandle(file);
    return 0;
}
