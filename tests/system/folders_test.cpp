// Win32Functions: folders, temporary files and volumes through the registered DLL, against what
// the platform reports.
#include "client.h"
#include "scratch.h"
#include "frame/results.h"
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
