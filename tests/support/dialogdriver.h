// Driving dialogs as a user would, from the test thread while a client's thread shows them:
// finding the dialog and its controls, keys, clicks, the close box, screenshots.
#pragma once
#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "client.h"

namespace test {

inline std::wstring textOf(HWND w) {
    wchar_t buf[512] = L"";
    GetWindowTextW(w, buf, 512);
    return buf;
}

inline bool waitFor(const std::function<bool()>& condition, DWORD ms = 10000) {
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > ms) return false;
        Sleep(1);
    }
    return true;
}

// A client's thread: it creates FormFunctions through the registered DLL and makes its calls,
// which show the dialogs, while the test thread drives them.
class Caller {
public:
    explicit Caller(std::function<void(_FormFunctions*)> body)
        : body_(std::move(body)), thread_([this] {
              id_ = GetCurrentThreadId();
              CoInitialize(nullptr);
              if (auto f = create<_FormFunctions>(L"FormFunctions")) body_(f.get());
              CoUninitialize();
              done_ = true;
          }) {
        while (!id_) Sleep(0);
    }
    ~Caller() { join(); }
    DWORD id() const { return id_; }
    // Waits for the calls to return; a dialog still open after 10 s is ended with a quit message,
    // so that a failed test does not hang.
    void join() {
        if (!thread_.joinable()) return;
        if (!waitFor([&] { return done_.load(); })) {
            ADD_FAILURE() << "the dialog did not close";
            while (!waitFor([&] { return done_.load(); }, 100)) PostThreadMessageW(id_, WM_QUIT, 0, 0);
        }
        thread_.join();
    }

private:
    std::function<void(_FormFunctions*)> body_;
    std::atomic<DWORD> id_{0};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

inline HWND focusOf(DWORD thread) {
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The top-level windows, or a window's controls in creation (tab) order, nested ones included.
inline BOOL CALLBACK add(HWND w, LPARAM p) { return reinterpret_cast<std::vector<HWND>*>(p)->push_back(w), TRUE; }
inline std::vector<HWND> windows(HWND parent = nullptr) {
    std::vector<HWND> all;
    parent ? EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&all)) : EnumWindows(add, reinterpret_cast<LPARAM>(&all));
    return all;
}

// The caller's window with this caption, other than not_, once it is up: visible, with the
// focus on one of its controls.
inline HWND dialogOf(DWORD thread, const std::wstring& caption, HWND not_ = nullptr) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND w : windows())
            if (w != not_ && GetWindowThreadProcessId(w, nullptr) == thread && IsWindowVisible(w) && textOf(w) == caption &&
                IsChild(w, focusOf(thread)))
                return (found = w) != nullptr;
        return false;
    });
    return found;
}

inline std::vector<HWND> controls(HWND dialog, const wchar_t* cls) {
    std::vector<HWND> found;
    wchar_t name[64];
    for (HWND w : windows(dialog))
        if (GetClassNameW(w, name, 64) && _wcsicmp(name, cls) == 0) found.push_back(w);
    return found;
}

inline HWND controlWithText(HWND dialog, const wchar_t* cls, const std::wstring& text) {
    for (HWND w : controls(dialog, cls))
        if (IsWindowVisible(w) && textOf(w) == text) return w;
    return nullptr;
}

inline RECT placeIn(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline bool isBold(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfWeight >= FW_BOLD;
}

// Keys are posted, so that the dialog manager sees them; BM_CLICK as a mouse click.
inline void key(HWND target, UINT vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

inline void type(HWND target, const std::wstring& text) {
    for (wchar_t ch : text) PostMessageW(target, WM_CHAR, ch, 1);
}

inline void press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

inline void closeBox(HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }

// Saves the dialog as the X server shows it to artifacts/<name>.png, by xwd and convert in a
// native shell that Wine starts for us.
inline void screenshot(HWND dialog, const std::string& name) {
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd); // Z:\ and the Unix path
    std::string dir = cwd + 2;
    std::replace(dir.begin(), dir.end(), '\\', '/');
    CreateDirectoryA("artifacts", nullptr);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200); // for the X server to show what was drawn
    RECT r;
    GetWindowRect(dialog, &r);
    std::string out = dir + "/artifacts/" + name + ".png";
    DeleteFileA(("Z:" + out).c_str());
    std::string cmd = "Z:\\bin\\sh -c \"xwd -root -silent | convert xwd:- -crop " + std::to_string(r.right - r.left) + "x" +
                      std::to_string(r.bottom - r.top) + "+" + std::to_string(r.left) + "+" + std::to_string(r.top) +
                      " png:" + out + ".tmp && mv " + out + ".tmp " + out + "\"";
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(waitFor([&] { return GetFileAttributesA(("Z:" + out).c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "no screenshot " << out;
}

} // namespace test
