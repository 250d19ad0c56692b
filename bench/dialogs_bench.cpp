// How quickly the calendar and the logon prompt come up: the time from the client's call of
// GetCalDate (GetUserDetails) until the dialog is visible with the focus on its first control
// (the button of day 1, the user-name box), seen by a driver thread polling every millisecond;
// median of 20 openings. The anchor is the platform's own MessageBoxW measured the same way in
// the same run (visible, focus on its OK button). Reaches the registered DLL as a client does.
#include <initguid.h>
#include <windows.h>
#include <oleauto.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "ZorUtility.h"

namespace {

double now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

struct Found {
    DWORD thread;
    const wchar_t* caption;
    HWND hwnd = nullptr;
};

BOOL CALLBACK match(HWND w, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    wchar_t text[64];
    if (GetWindowThreadProcessId(w, nullptr) == f->thread && IsWindowVisible(w) && GetWindowTextW(w, text, 64) &&
        wcscmp(text, f->caption) == 0) {
        f->hwnd = w;
        return FALSE;
    }
    return TRUE;
}

// Opens a dialog 20 times on a caller thread; `open` makes the call, `ready` tells whether the
// focus is where it should be, `close` ends it. Returns the median opening time in ms.
double median(const wchar_t* caption, std::function<void(_FormFunctions*)> open, std::function<bool(HWND)> ready,
              std::function<void(HWND, HWND)> close) {
    const int runs = 20;
    std::atomic<double> started{0};
    std::atomic<int> finished{0};
    std::atomic<DWORD> tid{0};
    std::thread caller([&] {
        tid = GetCurrentThreadId();
        CoInitialize(nullptr);
        _FormFunctions* f = nullptr;
        if (SUCCEEDED(CoCreateInstance(__uuidof(FormFunctions), nullptr, CLSCTX_INPROC_SERVER, __uuidof(_FormFunctions),
                                       reinterpret_cast<void**>(&f)))) {
            for (int i = 0; i < runs; ++i) {
                started = now();
                open(f);
                ++finished;
            }
            f->Release();
        } else {
            finished = runs;
        }
        CoUninitialize();
    });
    std::vector<double> ms;
    while (!tid) Sleep(0);
    for (int i = 0; i < runs && finished < runs; ++i) {
        while (started == 0 || finished != i) Sleep(0);
        Found found{tid, caption};
        GUITHREADINFO info{sizeof info};
        for (;;) {
            EnumWindows(match, reinterpret_cast<LPARAM>(&found));
            if (found.hwnd && GetGUIThreadInfo(tid, &info) && info.hwndFocus && ready(info.hwndFocus)) break;
            Sleep(1);
        }
        ms.push_back((now() - started) * 1000);
        started = 0;
        close(found.hwnd, info.hwndFocus);
        while (finished == i) Sleep(1);
    }
    caller.join();
    if (ms.empty()) return -1;
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

std::wstring className(HWND w) {
    wchar_t name[32] = L"";
    GetClassNameW(w, name, 32);
    return name;
}

std::wstring text(HWND w) {
    wchar_t t[32] = L"";
    GetWindowTextW(w, t, 32);
    return t;
}

} // namespace

int main() {
    CoInitialize(nullptr);
    auto closeBox = [](HWND dlg, HWND) { PostMessageW(dlg, WM_CLOSE, 0, 0); };
    double anchor = median(
        L"Anchor", [](_FormFunctions*) { MessageBoxW(nullptr, L"anchor", L"Anchor", MB_OK); },
        [](HWND focus) { return className(focus) == L"Button"; },
        [](HWND, HWND focus) { PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1); });
    double calendar = median(
        L"Calendar",
        [](_FormFunctions* f) {
            BSTR b = nullptr;
            f->GetCalDate(&b);
            SysFreeString(b);
        },
        [](HWND focus) { return text(focus) == L"1"; }, closeBox);
    double logon = median(
        L"Logon",
        [](_FormFunctions* f) {
            BSTR name = SysAllocString(L""), password = SysAllocString(L"");
            VARIANT_BOOL ok;
            f->GetUserDetails(&name, &password, &ok);
            SysFreeString(name);
            SysFreeString(password);
        },
        [](HWND focus) { return className(focus) == L"Edit"; }, closeBox);
    std::printf("anchor MessageBoxW opening        %7.1f ms\n", anchor);
    std::printf("GetCalDate opening                %7.1f ms  (%.2f x anchor, %.2f x the 100 ms target)\n", calendar,
                calendar / anchor, calendar / 100);
    std::printf("GetUserDetails opening            %7.1f ms  (%.2f x anchor, %.2f x the 100 ms target)\n", logon,
                logon / anchor, logon / 100);
    CoUninitialize();
    return calendar < 0 || logon < 0 ? 1 : 0;
}
