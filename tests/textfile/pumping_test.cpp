#include "textfiles.h"

using namespace test;

namespace {

int userMessages = 0;

LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER + 5) {
        ++userMessages;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A window of the caller's thread with a message waiting for it.
HWND windowWithAPendingMessage() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = countingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZorPumpingTest";
    RegisterClassW(&wc);
    HWND w = CreateWindowW(L"ZorPumpingTest", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    userMessages = 0;
    PostMessageW(w, WM_USER + 5, 0, 0);
    return w;
}

} // namespace

// The loops over lines and fields let the caller's windows run.
TEST_F(TextFiles, FileLoopsProcessTheCallersMessages) {
    std::wstring dir = scratchDir(L"pumping");
    std::wstring f = dir + L"f.txt";
    writeFile(f, "one\r\ntwo\r\n");
    HWND w = windowWithAPendingMessage();
    EXPECT_FALSE(isInLog(f, L"zzz"));
    EXPECT_EQ(1, userMessages) << "IsInLogFile";

    PostMessageW(w, WM_USER + 5, 0, 0);
    Bstr text;
    tf->ReadTextFileString(Bstr(f).get(), text.out());
    EXPECT_EQ(L"onetwo", text.text());
    EXPECT_EQ(2, userMessages) << "ReadTextFileString";

    PostMessageW(w, WM_USER + 5, 0, 0);
    Variant lines;
    tf->ReadTextFileVariant(Bstr(f).get(), &lines.get());
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&lines.get()));
    EXPECT_EQ(3, userMessages) << "ReadTextFileVariant";
    DestroyWindow(w);
}
