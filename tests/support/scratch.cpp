#include "scratch.h"
#include "runtime/errors.h"
#include <objbase.h>
#include <oleauto.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cwchar>
#include <sstream>
#include <vector>

namespace test {

void emptyFolder(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = dir + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            emptyFolder(path + L"\\");
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

long errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const zor::Error& e) {
        return e.number;
    }
    return 0;
}

std::wstring scratchDir(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring root = std::wstring(temp) + L"zortest\\";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring dir = root + name + L"\\";
    emptyFolder(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring testData(const std::wstring& name) {
    wchar_t data[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZOR_TESTDATA", data, MAX_PATH);
    return std::wstring(data) + L"\\" + name;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string readFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
    out.resize(got);
    CloseHandle(h);
    return out;
}

std::wstring existenceTree(const std::wstring& name) {
    std::wstring dir = scratchDir(name);
    for (const wchar_t* f : {L"a.txt", L"b.log", L"r.txt", L"h.txt", L"s.txt", L".dotfile"}) writeFile(dir + f, "x");
    SetFileAttributesW((dir + L"r.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((dir + L"h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((dir + L"s.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    for (const wchar_t* d : {L"sub", L"empty", L".hdir"}) CreateDirectoryW((dir + d).c_str(), nullptr);
    writeFile(dir + L"sub\\inner.txt", "i");
    SetFileAttributesW((dir + L".hdir").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    return dir;
}

std::vector<CaseRow> caseRows(const std::wstring& name) {
    const std::string text = readFile(testData(L"cases\\" + name + L".tsv"));
    EXPECT_NE("<missing>", text) << "no case file " << std::string(name.begin(), name.end());
    auto unescape = [](std::wstring f) { // "<N>": the character of code N
        for (size_t at = 0; (at = f.find(L'<', at)) != std::wstring::npos; ++at) {
            size_t end = f.find(L'>', at);
            if (end == std::wstring::npos || end == at + 1 || f.find_first_not_of(L"0123456789", at + 1) != end) continue;
            f.replace(at, end - at + 1, 1, static_cast<wchar_t>(std::stoi(f.substr(at + 1, end - at - 1))));
        }
        return f;
    };
    std::vector<CaseRow> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        CaseRow row;
        std::istringstream fields(line + '\t'); // the tab ends the last field, an empty one too
        for (std::string field; std::getline(fields, field, '\t');)
            row.push_back(unescape(std::wstring(field.begin(), field.end()))); // the case files are ASCII
        rows.push_back(row);
    }
    return rows;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool canOpenExclusively(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void setLocalWriteTime(const std::wstring& path, SYSTEMTIME local) {
    SYSTEMTIME utc;
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME ft;
    SystemTimeToFileTime(&utc, &ft);
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

SYSTEMTIME localDaysAgo(int days) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    t.wHour = 12;
    t.wMinute = t.wSecond = t.wMilliseconds = 0;
    DATE d = 0;
    SystemTimeToVariantTime(&t, &d);
    VariantTimeToSystemTime(d - days, &t);
    return t;
}

std::wstring yyyymmdd(const SYSTEMTIME& t) {
    wchar_t s[16];
    swprintf(s, 16, L"%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    return s;
}

namespace {
using ThreadStart = std::pair<const std::function<void(int)>*, int>; // the body and the thread's index
DWORD WINAPI threadStart(void* p) {
    auto* start = static_cast<ThreadStart*>(p);
    (*start->first)(start->second);
    return 0;
}
} // namespace

void runThreads(int n, const std::function<void(int)>& body) {
    std::vector<ThreadStart> starts;
    for (int t = 0; t < n; ++t) starts.push_back({&body, t});
    std::vector<HANDLE> threads;
    for (ThreadStart& s : starts) {
        HANDLE h = CreateThread(nullptr, 0, threadStart, &s, 0, nullptr);
        EXPECT_NE(nullptr, h);
        if (h) threads.push_back(h);
    }
    while (!threads.empty() &&
           WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, 0) == WAIT_TIMEOUT) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    for (HANDLE h : threads) CloseHandle(h);
}

void onThreads(int n, const std::function<void(int)>& body) {
    runThreads(n, [&](int t) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        body(t);
        CoUninitialize();
    });
}

long liveGdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
    long n = 0;
    for (uintptr_t i = 1; i < 0x10000; ++i) n += GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
    return n;
}

DWORD liveHandles() {
    DWORD n = 0, flags;
    for (uintptr_t h = 4; h < 0x10000; h += 4) n += GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags) != 0;
    return n;
}

namespace {
LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, GetWindowLongPtrW(hwnd, GWLP_USERDATA) + 1);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
} // namespace

CountingWindow::CountingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = countingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZorCountingWindow";
    RegisterClassW(&wc); // fails harmlessly when already registered
    hwnd_ = CreateWindowW(L"ZorCountingWindow", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

CountingWindow::~CountingWindow() { DestroyWindow(hwnd_); }

int CountingWindow::count() const { return static_cast<int>(GetWindowLongPtrW(hwnd_, GWLP_USERDATA)); }

namespace {
// Starts one script host; ZOR_STARTED names the file its script makes as its first step.
HANDLE startScript(std::wstring command, const std::wstring& marker) {
    DeleteFileW(marker.c_str());
    SetEnvironmentVariableW(L"ZOR_STARTED", marker.c_str());
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"ZOR_STARTED", nullptr);
    if (!ok) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD exitCode(HANDLE p) {
    DWORD code = 9;
    if (!p) return code;
    WaitForSingleObject(p, INFINITE);
    GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return code;
}
} // namespace

std::vector<DWORD> runScripts(const wchar_t* script, const std::vector<std::wstring>& arguments) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    auto marker = [&](size_t i) {
        return std::wstring(temp) + L"zor-started-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(i);
    };
    auto start = [&](size_t i) {
        return startScript(L"cscript.exe //nologo \"" + testData(script) + L"\" " + arguments[i], marker(i));
    };
    std::vector<HANDLE> running;
    for (size_t i = 0; i < arguments.size(); ++i) running.push_back(start(i));
    std::vector<DWORD> codes;
    for (size_t i = 0; i < running.size(); ++i) {
        DWORD code = exitCode(running[i]);
        // Under load Wine's script host now and then ends with 0 before its script's first
        // step. Only such a host is started again, alone; one whose script started and then
        // died keeps its 0 and fails the test.
        if (code == 0 && !exists(marker(i))) {
            printf("script host %zu ended before its script started: started again\n", i);
            code = exitCode(start(i));
        }
        DeleteFileW(marker(i).c_str());
        codes.push_back(code);
    }
    return codes;
}

HeldFile::HeldFile(const std::wstring& path, Holder how) {
    static int counter = 0;
    const std::wstring base = L"zor-held-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    const std::wstring readyName = base + L"-ready", releaseName = base + L"-release";
    ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
    wchar_t helper[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZOR_HOLDFILE", helper, MAX_PATH);
    const wchar_t* const modes[] = {L"", L" shared", L" reading", L" lock"}; // in the order of Holder
    std::wstring command = L"\"" + std::wstring(helper) + L"\" \"" + path + L"\" " + readyName + L" " + releaseName +
                          modes[static_cast<int>(how)];
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(helper, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    HANDLE both[] = {ready_, process_};
    held_ = WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
}

HeldFile::~HeldFile() {
    SetEvent(release_);
    if (process_) {
        WaitForSingleObject(process_, 60000);
        CloseHandle(process_);
    }
    CloseHandle(ready_);
    CloseHandle(release_);
}

} // namespace test
