// The four dialogs through the registered DLL, each shown by a client's thread and driven from
// the test thread as a user would: keys, clicks and the close box.
#include <algorithm>
#include <tuple>
#include "client.h"
#include "dialogdriver.h"
#include "dialogs/AboutForm.h"

using namespace test;

namespace {

SYSTEMTIME today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}
std::wstring num(long n) { return std::to_wstring(n); }

// A client's call of GetCalDate: what it answered and the text it returned.
using Picked = std::pair<HRESULT, std::wstring>;
Picked pickDate(_FormFunctions* f) {
    Bstr b;
    HRESULT hr = f->GetCalDate(b.out());
    return {hr, b.text()};
}

// The day buttons: every button whose caption is a number, in index order.
std::vector<HWND> dayButtons(HWND dlg) {
    std::vector<HWND> days;
    for (HWND b : controls(dlg, L"Button")) if (iswdigit(textOf(b)[0])) days.push_back(b);
    return days;
}

// Shown day buttons: caption → position in the client area.
void expectMonth(HWND dlg, int offset, int days) {
    static const int lefts[7] = {120, 480, 840, 1200, 1560, 2040, 2400};
    int shown = 0;
    for (HWND b : dayButtons(dlg)) {
        if (!IsWindowVisible(b)) continue;
        ++shown;
        int i = offset + std::stoi(textOf(b)) - 1;
        RECT r = placeIn(dlg, b);
        EXPECT_EQ((std::vector<LONG>{lefts[i % 7] / 15, (360 + 360 * (i / 7)) / 15, 25}),
                  (std::vector<LONG>{r.left, r.top, r.right - r.left})) << "day " << textOf(b).c_str();
        EXPECT_FALSE(isBold(b));
    }
    EXPECT_EQ(days, shown);
}

void chooseMonth(HWND dlg, int month) {
    HWND combo = controls(dlg, L"ComboBox")[0];
    SendMessageW(combo, CB_SETCURSEL, month - 1, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void stepYearTo(HWND dlg, int year) {
    HWND back = controlWithText(dlg, L"Button", L"<"), on = controlWithText(dlg, L"Button", L">");
    HWND label = controls(dlg, L"Static")[0]; // lblYear is the first label in tab order
    for (int y = std::stoi(textOf(label)); y != year; y = std::stoi(textOf(label))) press(y > year ? back : on);
}

// A client's call of GetUserDetails with its two Strings by reference: what it answered and returned.
using Details = std::tuple<HRESULT, VARIANT_BOOL, std::wstring, std::wstring>;
Details logon(_FormFunctions* f) {
    Bstr name(L"old name"), password(L"old password");
    VARIANT_BOOL ok = 7;
    HRESULT hr = f->GetUserDetails(name.inout(), password.inout(), &ok);
    return {hr, ok, name.text(), password.text()};
}

} // namespace

// The dialog opens on today; a day button chooses a date, and so does Enter on the button that has
// the focus when it opens, day one. Closing it returns the date chosen last on its thread.
TEST(Calendar, OpensOnTodayLaysOutMonthsStepsYearsAndTheDateIsKeptForLaterCallsOnItsThreadOnly) {
    std::vector<Picked> picked; // three calls on the dialog's thread, then one on another thread
    Caller caller([&](_FormFunctions* f) { for (int call = 0; call < 3; ++call) picked.push_back(pickDate(f)); });
    HWND dlg = dialogOf(caller.id(), L"Calendar");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(0, GetWindowLongW(dlg, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindow(dlg, GW_OWNER)) << "an owned window stays out of the taskbar";
    RECT client, window;
    GetClientRect(dlg, &client);
    GetWindowRect(dlg, &window);
    EXPECT_EQ(std::make_pair(190L, 222L), std::make_pair(client.right, client.bottom));
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (window.left + window.right) / 2, 1);

    SYSTEMTIME t = today();
    EXPECT_EQ(L"1", textOf(focusOf(caller.id())));
    std::vector<HWND> bold;
    for (HWND b : dayButtons(dlg)) if (IsWindowVisible(b) && isBold(b)) bold.push_back(b);
    ASSERT_EQ(1u, bold.size());
    EXPECT_EQ(num(t.wDay), textOf(bold[0]));
    EXPECT_EQ(37u, dayButtons(dlg).size());
    screenshot(dlg, "calendar");

    struct Month { int month, year, offset, days; };
    for (Month m : {Month{2, 1999, 0, 28}, Month{8, 1999, 6, 31}, Month{5, 1999, 5, 31}, Month{2, 2000, 1, 29}}) {
        chooseMonth(dlg, m.month);
        stepYearTo(dlg, m.year);
        SCOPED_TRACE(std::to_string(m.month) + "/" + std::to_string(m.year));
        expectMonth(dlg, m.offset, m.days);
    }
    // Escape displays the current month again, today in bold, and leaves the window open.
    key(focusOf(caller.id()), VK_ESCAPE);
    EXPECT_TRUE(waitFor([&] { return isBold(bold[0]) && textOf(controls(dlg, L"Static")[0]) == num(t.wYear); }));
    EXPECT_TRUE(IsWindowVisible(dlg));

    chooseMonth(dlg, 3);
    stepYearTo(dlg, 1999);
    press(controlWithText(dlg, L"Button", L"5"));
    HWND second = dialogOf(caller.id(), L"Calendar", dlg);
    ASSERT_TRUE(second);
    key(focusOf(caller.id()), VK_RETURN);
    HWND third = dialogOf(caller.id(), L"Calendar", second);
    ASSERT_TRUE(third);
    closeBox(third);
    caller.join();

    Caller other([&](_FormFunctions* f) { picked.push_back(pickDate(f)); });
    HWND elsewhere = dialogOf(other.id(), L"Calendar");
    ASSERT_TRUE(elsewhere);
    closeBox(elsewhere);
    other.join();

    const std::wstring dayOne = L"1/" + num(t.wMonth) + L"/" + num(t.wYear);
    EXPECT_EQ((std::vector<Picked>{{S_OK, L"5/3/1999"}, {S_OK, dayOne}, {S_OK, dayOne}, {S_OK, L""}}), picked);
}

// ---- logon ---------------------------------------------------------------------------------

// Enter in a text box acts as OK; backing out by Escape, Cancel, the close box or Alt+C (the
// access key) clears the name and keeps the password. OK on a blank name is answered with a
// message box, and the blank name is selected again: typing replaces it.
TEST(Logon, ReturnsWhatWasTypedAndNoThirteenthCharacterOrBacksOutAndABlankNameIsRefused) {
    enum Way { enter, escape, cancel, close, altC, blank };
    struct Case { std::wstring name, password; Way way; VARIANT_BOOL ok; std::wstring wantName, wantPassword; };
    const Case cases[] = {{L"abcdefghijklm", L"1234567890123", enter, VARIANT_TRUE, L"abcdefghijkl", L"123456789012"},
                          {L" bob ", L"", enter, VARIANT_TRUE, L" bob ", L""},
                          {L"carol", L"", escape, VARIANT_FALSE, L"", L"old password"},
                          {L"carol", L"", cancel, VARIANT_FALSE, L"", L"old password"},
                          {L"carol", L"", close, VARIANT_FALSE, L"", L"old password"},
                          {L"carol", L"", altC, VARIANT_FALSE, L"", L"old password"},
                          {L"   ", L"", blank, VARIANT_TRUE, L"dave", L""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "way " << c.way);
        Details result;
        Caller caller([&](_FormFunctions* f) { result = logon(f); });
        HWND dlg = dialogOf(caller.id(), L"Logon");
        ASSERT_TRUE(dlg);
        std::vector<HWND> boxes = controls(dlg, L"Edit");
        ASSERT_EQ(2u, boxes.size());
        EXPECT_EQ(boxes[0], focusOf(caller.id()));
        EXPECT_EQ(L"", textOf(boxes[0]));
        EXPECT_EQ(L'*', SendMessageW(boxes[1], EM_GETPASSWORDCHAR, 0, 0));
        HWND ok = GetNextDlgTabItem(dlg, boxes[1], FALSE); // tab order: name, password, OK, Cancel
        EXPECT_EQ(boxes[1], GetNextDlgTabItem(dlg, boxes[0], FALSE));
        EXPECT_EQ(L"&OK", textOf(ok));
        EXPECT_EQ(L"&Cancel", textOf(GetNextDlgTabItem(dlg, ok, FALSE)));
        RECT r = placeIn(dlg, boxes[0]); // 960, 720, 2415 x 285 twips
        EXPECT_EQ((std::vector<LONG>{64, 48, 64 + 161, 48 + 19}), (std::vector<LONG>{r.left, r.top, r.right, r.bottom}));
        type(boxes[0], c.name);
        type(boxes[1], c.password);
        if (c.password.size() > 12) screenshot(dlg, "logon");
        if (c.way == enter) key(boxes[1], VK_RETURN);
        if (c.way == escape) key(boxes[0], VK_ESCAPE);
        if (c.way == cancel) press(controlWithText(dlg, L"Button", L"&Cancel"));
        if (c.way == close) closeBox(dlg);
        if (c.way == altC) PostMessageW(boxes[0], WM_SYSCHAR, L'c', 1 << 29);
        if (c.way == blank) {
            PostMessageW(controlWithText(dlg, L"Button", L"&OK"), BM_CLICK, 0, 0); // the box blocks the click
            HWND box = dialogOf(caller.id(), L"Logon", dlg);
            ASSERT_TRUE(box);
            EXPECT_EQ(dlg, GetWindow(box, GW_OWNER));
            EXPECT_TRUE(controlWithText(box, L"Static", L"Please enter your username..."));
            std::vector<std::wstring> buttons;
            for (HWND b : controls(box, L"Button")) if (IsWindowVisible(b)) buttons.push_back(textOf(b));
            EXPECT_EQ(std::vector<std::wstring>{L"OK"}, buttons);
            key(focusOf(caller.id()), VK_RETURN);
            EXPECT_TRUE(waitFor([&] { return !IsWindow(box) && focusOf(caller.id()) == boxes[0]; }));
            EXPECT_TRUE(IsWindowVisible(dlg));
            type(boxes[0], L"dave");
            key(boxes[0], VK_RETURN);
        }
        caller.join();
        EXPECT_EQ(Details(S_OK, c.ok, c.wantName, c.wantPassword), result);
    }
}

// ---- about boxes ---------------------------------------------------------------------------

TEST(About, ShowsTheCallersTextsAndClosesWithEnterEscapeOrTheCloseBox) {
    std::wstring year = num(today().wYear), huge(1000000, L'x');
    struct Case { std::wstring app, version; int way; };
    for (const Case& c : {Case{L"Demo", L"1.0", 0}, Case{huge, L"", 1}, Case{L"Demo", L"2", 2}}) {
        std::pair<HRESULT, VARIANT_BOOL> shown{E_FAIL, 7};
        Caller caller([&](_FormFunctions* f) {
            Bstr maker(L"Acme Ltd"), app(c.app), version(c.version);
            shown.first = f->DisplayAbout(maker.get(), app.get(), version.get(), &shown.second);
        });
        HWND dlg = dialogOf(caller.id(), L"About");
        ASSERT_TRUE(dlg);
        EXPECT_TRUE(controlWithText(dlg, L"Static", L"Version: " + c.version));
        EXPECT_TRUE(controlWithText(dlg, L"Static", L"\u00A9 Copyright Acme Ltd " + year));
        EXPECT_EQ(L"&OK", textOf(focusOf(caller.id())));
        if (c.way == 0) {
            EXPECT_TRUE(controlWithText(dlg, L"Static", L"Demo"));
            screenshot(dlg, "about");
            key(focusOf(caller.id()), VK_RETURN);
        }
        if (c.way == 1) key(focusOf(caller.id()), VK_ESCAPE);
        if (c.way == 2) closeBox(dlg);
        caller.join();
        EXPECT_EQ(std::make_pair(S_OK, VARIANT_FALSE), shown);
    }
}

TEST(About, MakersBoxTakesTheAppNameAsCaptionAndScrollsItsCredits) {
    std::pair<HRESULT, VARIANT_BOOL> shown{E_FAIL, 7};
    Caller caller([&](_FormFunctions* f) {
        shown.first = f->DisplayZORAbout(Bstr(L"Demo").get(), Bstr(L"1.0").get(), &shown.second);
    });
    HWND dlg = dialogOf(caller.id(), L"Demo");
    ASSERT_TRUE(dlg);
    EXPECT_TRUE(controlWithText(dlg, L"Static", L"\u00A9 Copyright " + num(today().wYear) + L"\r\nZorvane Ltd"));
    EXPECT_TRUE(controlWithText(dlg, L"Static", L"Version: 1.0"));
    HWND credits = nullptr;
    for (HWND s : controls(dlg, L"Static"))
        if ((GetWindowLongW(s, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) credits = s;
    ASSERT_TRUE(credits);
    HWND frame = GetParent(credits);
    auto top = [&] { return placeIn(frame, credits).top; };
    RECT r = placeIn(frame, credits); // left, width, height
    EXPECT_EQ((std::vector<LONG>{20, 154, 1317}), (std::vector<LONG>{r.left, r.right - r.left, r.bottom - r.top}));
    screenshot(dlg, "zor-about");

    // Three ticks only count; the fourth starts the pass just below the panel: 1335 - 2 twips.
    for (int tick = 1; tick <= 3; ++tick) {
        SendMessageW(dlg, WM_TIMER, 1, 0);
        EXPECT_EQ(0, top()) << tick;
    }
    SendMessageW(dlg, WM_TIMER, 1, 0);
    int entered = top();
    EXPECT_NEAR(88.5, entered, 0.5);
    // The 4 ms timer then moves it up on its own.
    EXPECT_TRUE(waitFor([&] { return top() < entered - 2; }, 3000));

    key(focusOf(caller.id()), VK_ESCAPE); // no cancel button: nothing happens
    SendMessageW(dlg, WM_NULL, 0, 0);
    Sleep(100);
    EXPECT_TRUE(IsWindowVisible(dlg));
    key(focusOf(caller.id()), VK_RETURN); // OK has the focus
    caller.join();
    EXPECT_EQ(std::make_pair(S_OK, VARIANT_FALSE), shown);
}

TEST(CreditsScroll, RestsThreeTicksThenPassesTheWholePictureAndRestsAgain) {
    zor::CreditsScroll s;
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (long tick = 1; tick <= 3; ++tick) {
            s.tick();
            EXPECT_EQ(std::make_tuple(tick, 0, 1000u), std::make_tuple(s.ticks, s.top, s.interval));
        }
        s.tick(); // enters the pass below the panel and takes the first step
        EXPECT_EQ(std::make_tuple(true, 1333, 4u), std::make_tuple(s.scrolling, s.top, s.interval));
        int steps = 1, last = s.top;
        for (; s.scrolling; ++steps) {
            last = s.top;
            s.tick();
            if (s.scrolling && s.top != last - 2) FAIL() << "step " << steps << " to " << s.top;
        }
        EXPECT_EQ(-19755, last); // the last position shown; the next step passes the picture's height
        EXPECT_EQ((1335 + 19755) / 2 + 1, steps);
        EXPECT_EQ(std::make_tuple(0L, 0, 1000u), std::make_tuple(s.ticks, s.top, s.interval));
    }
}
