#include "driver.h"
#include <algorithm>
#include <fstream>

namespace test {

Caller::Caller(std::function<void(_FormFunctions*)> body)
    : body_(std::move(body)), started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this] {
          id_ = GetCurrentThreadId();
          SetEvent(started_);
          CoInitialize(nullptr);
          {
              auto f = create<_FormFunctions>(L"FormFunctions");
              if (f) body_(f.get());
          }
          CoUninitialize();
          done_ = true;
      }) {
    WaitForSingleObject(started_, INFINITE);
    CloseHandle(started_);
}

void Caller::join() {
    if (!thread_.joinable()) return;
    if (!waitFor([&] { return done_.load(); })) {
        ADD_FAILURE() << "the dialog did not close";
        while (!waitFor([&] { return done_.load(); }, 100)) PostThreadMessageW(id_, WM_QUIT, 0, 0);
    }
    thread_.join();
}

bool waitFor(const std::function<bool()>& condition, DWORD ms) {
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > ms) return false;
        Sleep(1);
    }
    return true;
}

namespace {
struct Search {
    DWORD thread;
    std::wstring caption;
    HWND not_;
    HWND found = nullptr;
};
BOOL CALLBACK matchTop(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (w != s->not_ && GetWindowThreadProcessId(w, nullptr) == s->thread && IsWindowVisible(w) && textOf(w) == s->caption) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
struct Children {
    std::wstring cls;
    std::vector<HWND> found;
};
BOOL CALLBACK matchChild(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<Children*>(p);
    wchar_t name[64];
    GetClassNameW(w, name, 64);
    if (_wcsicmp(name, c->cls.c_str()) == 0) c->found.push_back(w);
    return TRUE;
}
} // namespace

HWND dialogOf(DWORD thread, const std::wstring& caption, HWND not_) {
    Search s{thread, caption, not_};
    waitFor([&] {
        s.found = nullptr;
        EnumWindows(matchTop, reinterpret_cast<LPARAM>(&s));
        return s.found && IsChild(s.found, focusOf(thread));
    });
    return s.found;
}

std::vector<HWND> controls(HWND dialog, const wchar_t* cls) {
    Children c{cls};
    EnumChildWindows(dialog, matchChild, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

HWND controlWithText(HWND dialog, const wchar_t* cls, const std::wstring& text) {
    for (HWND w : controls(dialog, cls))
        if (IsWindowVisible(w) && textOf(w) == text) return w;
    return nullptr;
}

std::wstring textOf(HWND w) {
    wchar_t buf[512] = L"";
    GetWindowTextW(w, buf, 512);
    return buf;
}

RECT placeIn(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND focusOf(DWORD thread) {
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool isBold(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfWeight >= FW_BOLD;
}

void key(HWND target, UINT vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

void type(HWND target, const std::wstring& text) {
    for (wchar_t ch : text) PostMessageW(target, WM_CHAR, ch, 1);
}

void press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

void closeBox(HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }

void screenshot(HWND dialog, const std::string& name) {
    // The X server's picture of the window's rectangle, taken by xwd and converted to PNG by a
    // native shell that Wine starts for us.
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string dir;
    for (const wchar_t* p = cwd + 2; *p; ++p) dir += *p == L'\\' ? '/' : static_cast<char>(*p);
    dir += "/artifacts";
    CreateDirectoryA(("Z:" + dir).c_str(), nullptr);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200); // for the X server to show what was drawn
    RECT r;
    GetWindowRect(dialog, &r);
    std::string out = dir + "/" + name + ".png";
    DeleteFileA(("Z:" + out).c_str());
    std::string cmd = "Z:\\bin\\sh -c \"xwd -root -silent | convert xwd:- -crop " + std::to_string(r.right - r.left) + "x" +
                      std::to_string(r.bottom - r.top) + "+" + std::to_string(r.left) + "+" + std::to_string(r.top) +
                      " png:" + out + ".tmp && mv " + out + ".tmp " + out + "\"";
    // The shell gets standard handles of its own: given ours, Wine lets the test's output go.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(nul);
    EXPECT_TRUE(waitFor([&] { return GetFileAttributesA(("Z:" + out).c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "no screenshot " << out;
}

} // namespace test
