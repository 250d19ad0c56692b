// Drives the library's modal dialogs as a user would: the dialog runs on a caller thread of its
// own (a client's thread with COM), and the test thread finds its windows, presses keys (posted,
// so that the dialog manager sees them) and buttons, and waits for the effects.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "client.h"

namespace test {

// A client thread that creates FormFunctions through the registered DLL and runs body with it.
class Caller {
public:
    explicit Caller(std::function<void(_FormFunctions*)> body);
    ~Caller() { join(); }
    // Waits for the calls to return; a dialog still open after 10 s is ended with a quit
    // message, so that a failed test does not hang.
    void join();
    DWORD id() const { return id_; }

private:
    std::function<void(_FormFunctions*)> body_;
    DWORD id_ = 0;
    std::atomic<bool> done_{false};
    HANDLE started_;
    std::thread thread_;
};

bool waitFor(const std::function<bool()>& condition, DWORD ms = 10000);

// The caller's window with this caption, other than `not_`, once it is up: visible, with the
// focus on one of its controls.
HWND dialogOf(DWORD thread, const std::wstring& caption, HWND not_ = nullptr);
// Its controls of one window class, in creation (tab) order, nested ones included.
std::vector<HWND> controls(HWND dialog, const wchar_t* cls);
HWND controlWithText(HWND dialog, const wchar_t* cls, const std::wstring& text);
std::wstring textOf(HWND w);
RECT placeIn(HWND dialog, HWND control); // pixels in the dialog's client area
HWND focusOf(DWORD thread);
bool isBold(HWND control);

void key(HWND target, UINT vk);                   // down and up, posted
void type(HWND target, const std::wstring& text); // WM_CHAR, posted
void press(HWND button);                          // BM_CLICK
void closeBox(HWND dialog);                       // WM_CLOSE, as the title bar's close box

// Saves the dialog as it stands on the screen to <artifacts>/<name>.png.
void screenshot(HWND dialog, const std::string& name);

} // namespace test
