// Test helper: holdfile <path> <ready event> <release event> [shared|lock]. Opens the file
// (creating it when missing) with no sharing, or for reading only with full sharing when
// "shared" is given, or with full sharing and an exclusive lock on its first 4 bytes when "lock"
// is given, signals "ready" and keeps it open until "release" is set.
#include <windows.h>
#include <shellapi.h>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 4 && argc != 5) return 2;
    const bool locks = argc == 5 && lstrcmpW(argv[4], L"lock") == 0, shared = argc == 5 && !locks;
    HANDLE file = CreateFileW(argv[1], shared ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                              shared || locks ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
