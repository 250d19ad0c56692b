// Win32Functions (CopyFiles apart): folders, temporary files and volumes through the registered
// DLL, against what the platform reports; ending the session (recorded, never performed), the
// wallpaper in the user's profile, window order, the platform family and a real child process
// waited for.
#include "library.h"
#include "scratch.h"
#include "frame/results.h"
#include "system/Win32Functions.h"
#include <cstddef>
#include <winioctl.h>

using namespace test;
using zor::call;
using W = _Win32Functions;

namespace {

std::wstring freeDrive() {
    wchar_t letter = L'Y';
    while (GetLogicalDrives() & (1u << (letter - L'A'))) --letter;
    return {letter, L':', L'\\'};
}

// Defines (or without a path removes) a drive for a Unix folder through the prefix's mount
// manager, which reads .windows-label and .windows-serial at the drive's root as it defines it.
bool defineDrive(wchar_t letter, const char* unixPath) {
    struct {
        ULONG size, type, fsType, serial;
        ULONGLONG device;
        WCHAR letter;
        USHORT mountOffset, deviceOffset, labelOffset;
        char mount[MAX_PATH];
    } in{sizeof in, static_cast<ULONG>(unixPath ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR), 0, 0, 0, letter, 0, 0, 0, {}};
    if (unixPath) in.mountOffset = offsetof(decltype(in), mount), strncpy(in.mount, unixPath, MAX_PATH - 1);
    HANDLE mgr = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD n = 0;
    BOOL ok = DeviceIoControl(mgr, CTL_CODE(0x6D, 32, 0, 3), &in, sizeof in, nullptr, 0, &n, nullptr);
    return CloseHandle(mgr), ok;
}

} // namespace

TEST(Folders, AreThePlatformsAndStripTerminatorCutsAtTheFirstNul) {
    auto w = create<W>(L"Win32Functions");
    wchar_t b[3][MAX_PATH];
    GetWindowsDirectoryW(b[0], MAX_PATH), GetSystemDirectoryW(b[1], MAX_PATH), GetTempPathW(MAX_PATH, b[2]);
    EXPECT_EQ(std::wstring(b[0]) + L"\\", call(w.get(), &W::GetWindowsDir));
    EXPECT_EQ(std::wstring(b[1]) + L"\\", call(w.get(), &W::GetWindowsSysDir));
    EXPECT_EQ(b[2], call(w.get(), &W::GetWindowsTempDir));
    std::wstring x(32767, L'x');
    std::pair<std::wstring, std::wstring> cases[] = {{L"abc", L"abc"}, {{L"\0abc", 4}, L""}, {{L"ab\0 ", 4}, L"ab"},
                                                     {x + x, x + x}, {x.substr(1) + L'\0', x.substr(1)}};
    for (auto& [in, out] : cases) EXPECT_EQ(out, call(w.get(), &W::StripTerminator, in));
    EXPECT_EQ(6, errorOf([&] { call(w.get(), &W::StripTerminator, x + L'\0'); })); // positions are 16-bit
}

TEST(TempFiles, TwoCallsMakeTwoFilesAndAMissingOrTooLongFolderNone) {
    auto w = create<W>(L"Win32Functions");
    std::wstring temp = call(w.get(), &W::GetWindowsTempDir), dir = scratchDir(L"tempfiles");
    std::wstring a = call(w.get(), &W::GetTempFilename, zor::missing), b = call(w.get(), &W::GetTempFilename, zor::missing);
    EXPECT_NE(a, b);
    for (auto& file : {a, b}) EXPECT_EQ(temp + L"ZOR|", file.substr(0, temp.size() + 3) + L"|" + zor::fromAnsi(readFile(file)));
    DeleteFileW(a.c_str()), DeleteFileW(b.c_str());
    // The name must fit the 255-character buffer: a folder of 242 characters leaves just room.
    std::wstring fits = dir + std::wstring(242 - dir.size(), L'f'), tooLong = fits + L"ff";
    CreateDirectoryW(fits.c_str(), nullptr), CreateDirectoryW(tooLong.c_str(), nullptr);
    EXPECT_EQ(fits + L"\\ZOR", call(w.get(), &W::GetTempFilename, fits).substr(0, 246));
    for (auto& folder : {dir + L"missing", tooLong, std::wstring(L"C:\\\0x", 5)})
        EXPECT_EQ(L"", call(w.get(), &W::GetTempFilename, folder));
    EXPECT_TRUE(RemoveDirectoryW(tooLong.c_str())); // empty
}

TEST(Volumes, LabelSerialFlagsAndSpacesAsTheVolumeReportsThemOrNothing) {
    auto w = create<W>(L"Win32Functions");
    std::wstring dir = scratchDir(L"volume"), root = freeDrive();
    auto unixName = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"));
    for (auto [label, serial, name, number] : {std::tuple{"ZORDISK\n", "8000abcd\n", L"ZORDISK", L"-2147439667"},
                                               {"", "1234abcd\n", L"{volume has no label}", L"305441741"}}) {
        // Dot-files are hidden under Wine, and a hidden file is not overwritten as a normal one.
        DeleteFileW((dir + L".windows-label").c_str()), DeleteFileW((dir + L".windows-serial").c_str());
        writeFile(dir + L".windows-label", label), writeFile(dir + L".windows-serial", serial);
        ASSERT_TRUE(defineDrive(root[0], unixName(dir.c_str())));
        EXPECT_EQ(name, call(w.get(), &W::GetDiskVolumeName, root));
        EXPECT_EQ(number, call(w.get(), &W::GetDiskSerialNumber, root));
        defineDrive(root[0], nullptr);
    }
    EXPECT_EQ(255, call(w.get(), &W::GetMaxFilenameLength, L"C:\\"));
    EXPECT_EQ(L"NTFS", call(w.get(), &W::GetFileSystemName, L"C:\\"));
    EXPECT_EQ(L"FS_CASE_IS_PRESERVED\r\nFS_PERSISTENT_ACLS", call(w.get(), &W::GetDiskVolumeFlags, L"C:\\"));
    // Large spaces overflow; a missing or unnamable drive answers nothing.
    ULARGE_INTEGER free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &free, nullptr, nullptr) && free.QuadPart >> 20 >= 32768) << "large volume";
    EXPECT_EQ(6, errorOf([&] { call(w.get(), &W::GetFreeDiskSpace, L"C:\\"); }));
    EXPECT_EQ(6, errorOf([&] { call(w.get(), &W::GetTotalDiskSpace, L"C:\\"); }));
    for (auto& root : {freeDrive(), std::wstring(100000, L'C'), std::wstring(L"C:\\\0", 4)}) {
        EXPECT_EQ(0, call(w.get(), &W::GetFreeDiskSpace, root) | call(w.get(), &W::GetTotalDiskSpace, root) |
                         call(w.get(), &W::GetMaxFilenameLength, root));
        EXPECT_EQ(L"0", call(w.get(), &W::GetDiskSerialNumber, root) + call(w.get(), &W::GetDiskVolumeName, root) +
                            call(w.get(), &W::GetFileSystemName, root) + call(w.get(), &W::GetDiskVolumeFlags, root));
    }
}

TEST_F(InProcessLibrary, WindowsExitRecordsTheExactCallsOfEachOption) {
    auto w = make<zor::Win32Functions, W>();
    recorder.privilegeId = {0x11223344, 0x55};
    std::pair<short, std::vector<std::string>> cases[] = {
        {0, {"OpenProcessToken(current, 0x00000028)", "LookupPrivilegeValueA(\"\", \"SeShutdownPrivilege\")",
             "AdjustTokenPrivileges(0x00004321, 0, 16)", "CloseHandle(0x00004321)", "ExitWindowsEx(5, 0xFFFFFFFF)"}},
        {1, {"ExitWindowsEx(4, 0xFFFFFFFF)"}}, {2, {}}, {-1, {}}};
    ASSERT_EQ(1, zor::isWindowsNT());
    for (auto& [option, calls] : cases) {
        recorder.calls.clear();
        EXPECT_EQ(0, call(w.get(), &W::WindowsExit, option));
        EXPECT_EQ(calls, recorder.calls) << option;
    }
    const unsigned char record[16] = {1, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, 0x55, 0, 0, 0, 2, 0, 0, 0};
    ASSERT_EQ(1u, recorder.privileges.size());
    EXPECT_EQ(0, memcmp(record, &recorder.privileges[0], 16));
}

TEST_F(RegisteredLibrary, WallpaperWindowOrderAndPlatformFamily) {
    auto w = make<W>(L"Win32Functions");
    auto wallpaper = [] {
        wchar_t value[600] = L"";
        DWORD size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size);
        return std::wstring(value);
    };
    std::wstring before = wallpaper();
    // A picture that exists (Windows refuses the name of a missing file): one white pixel.
    const std::wstring picture = scratchDir(L"wallpaper") + L"zor.bmp";
    writeFile(picture, std::string("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0\0\0\0\0"
                                   "\4\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xff\xff\xff\0", 58));
    EXPECT_NE(0, call(w.get(), &W::SetWallpaper, picture));
    for (auto& refused : {std::wstring(300, L'p'), std::wstring(L"C:\\a.bmp\0.exe", 13)})
        EXPECT_EQ(0, call(w.get(), &W::SetWallpaper, refused));
    EXPECT_EQ(picture, wallpaper());
    EXPECT_NE(0, call(w.get(), &W::RemoveWallpaper));
    EXPECT_EQ(L"", wallpaper()) << "an empty path removes the wallpaper";
    call(w.get(), &W::SetWallpaper, before);
    EXPECT_EQ(VARIANT_TRUE, call(w.get(), &W::PutWindowOnTop, 0x7654321L));
    EXPECT_EQ(zor::isWindowsNT(), call(w.get(), &W::GetWindowsVersion));
}

// The child that ExecuteAndWait starts. Without a window of its caller it sleeps a second, then
// leaves a mark. With one, it posts one message to it, then sends one and marks the answer and
// whether it came within a second (it gives up after five rather than hang).
TEST(Child, SleepsThenMarksOrPostsAndSendsToTheCaller) {
    wchar_t mark[MAX_PATH], window[24];
    if (!GetEnvironmentVariableW(L"ZOR_CHILD_MARK", mark, MAX_PATH)) GTEST_SKIP() << "only as a child";
    if (!GetEnvironmentVariableW(L"ZOR_CHILD_WINDOW", window, 24)) {
        Sleep(1000);
        return writeFile(mark, "ended");
    }
    HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(_wtoi64(window)));
    PostMessageW(target, WM_APP + 2, 0, 0);
    DWORD start = GetTickCount();
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(target, WM_APP + 1, 21, 0, SMTO_NORMAL, 5000, &answer)) answer = 0;
    writeFile(mark, std::to_string(answer) + (GetTickCount() - start < 1000 ? " in time" : " late"));
}

// While it waits, ExecuteAndWait answers what the child sends to the caller's windows and
// dispatches nothing posted: neither the child's posted message nor a timer's.
std::vector<UINT> seen; // what reached the test window's procedure

LRESULT CALLBACK recordingWindow(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP + 1 && message != WM_APP + 2 && message != WM_TIMER)
        return DefWindowProcW(w, message, wParam, lParam);
    seen.push_back(message);
    return wParam * 2;
}

// ExecuteAndWait returns when the child has ended, and not for a line that starts none.
TEST_F(RegisteredLibrary, ExecuteAndWaitReturnsWhenTheChildHasEndedAnswersSentMessagesAndLeavesPostedOnes) {
    seen.clear();
    zor::Window target(CreateWindowW(L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(target);
    SetWindowLongPtrW(target.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingWindow));
    SetTimer(target.get(), 1, 10, nullptr);

    auto w = make<W>(L"Win32Functions");
    std::wstring mark = scratchDir(L"execute") + L"mark";
    SetEnvironmentVariableW(L"ZOR_CHILD_MARK", mark.c_str());
    wchar_t self[MAX_PATH];
    const std::wstring run = L"\"" + std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)) + L"\" --gtest_filter=",
                       child = run + L"Child.SleepsThenMarksOrPostsAndSendsToTheCaller";
    for (auto& line : {child, std::wstring(L"zor-no-such-program.exe"), std::wstring(), std::wstring(40000, L'x'),
                       child + L'\0' + L"x"}) { // cut at its NUL, the last would start the child
        DeleteFileW(mark.c_str());
        DWORD start = GetTickCount();
        call(w.get(), &W::ExecuteAndWait, line);
        EXPECT_EQ(line == child, GetTickCount() - start >= 1000 && readFile(mark) == "ended") << line.size();
    }
    SetEnvironmentVariableW(L"ZOR_CHILD_WINDOW", std::to_wstring(reinterpret_cast<uintptr_t>(target.get())).c_str());
    call(w.get(), &W::ExecuteAndWait, child);
    SetEnvironmentVariableW(L"ZOR_CHILD_WINDOW", nullptr);
    SetEnvironmentVariableW(L"ZOR_CHILD_MARK", nullptr);
    KillTimer(target.get(), 1);

    EXPECT_EQ("42 in time", readFile(mark));
    EXPECT_EQ(std::vector<UINT>{WM_APP + 1}, seen);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, target.get(), WM_APP + 2, WM_APP + 2, PM_REMOVE)) << "the posted message is queued";
}
