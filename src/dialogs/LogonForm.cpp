#include "dialogs/LogonForm.h"
#include <string_view>
#include "dialogs/artwork.h"

namespace zor {

using namespace forms;

namespace {

// The controls in tab order.
std::vector<Control> design() {
    return {
        {.name = L"txtUsername", .kind = Kind::TextBox, .left = 960, .top = 720, .width = 2415, .height = 285, .maxLength = 12},
        {.name = L"txtPassword", .kind = Kind::TextBox, .left = 960, .top = 1200, .width = 2415, .height = 285,
         .flags = PasswordChar, .maxLength = 12},
        {.name = L"cmdOK", .kind = Kind::Button, .text = L"&OK", .left = 1320, .top = 1560, .width = 975, .height = 375,
         .flags = DefaultButton},
        {.name = L"cmdCancel", .kind = Kind::Button, .text = L"&Cancel", .left = 2400, .top = 1560, .width = 975,
         .height = 375, .flags = CancelButton},
        {.name = L"Picture1", .kind = Kind::Picture, .left = 120, .top = 0, .width = 495, .height = 495, .image = ZOR_ICON_LOGON},
        {.name = L"lblCaption", .kind = Kind::Label, .text = L"Please enter your details below:", .left = 960, .top = 120,
         .width = 2235, .height = 195, .flags = AutoSize},
        {.name = L"lblUsername", .kind = Kind::Label, .text = L"Username:", .left = 120, .top = 720, .width = 765,
         .height = 195, .flags = AutoSize},
        {.name = L"lblPassword", .kind = Kind::Label, .text = L"Password:", .left = 120, .top = 1200, .width = 735,
         .height = 195, .flags = AutoSize},
        {.name = L"Line1", .kind = Kind::Line, .left = 0, .top = 600, .right = 3480, .bottom = 600},
    };
}

bool blank(const std::wstring& s) { return s.find_first_not_of(L' ') == std::wstring::npos; }

} // namespace

LogonForm::LogonForm() : Form(L"Logon", 3495, 2025, design()) {}

std::wstring LogonForm::username() {
    if (username_.empty()) showModal();
    return username_;
}

void LogonForm::load() { BringWindowToTop(hwnd()); }

void LogonForm::click(const Control& c) {
    if (std::wstring_view(c.name) == L"cmdOK") confirm();
    else cancel();
}

void LogonForm::confirm() {
    if (blank(text(L"txtUsername"))) {
        messageBox(L"Please enter your username...", L"Logon", MB_OK | MB_ICONINFORMATION);
        setFocus(L"txtUsername");
        return;
    }
    username_ = text(L"txtUsername");
    password_ = text(L"txtPassword");
    unload();
}

void LogonForm::cancel() {
    username_.clear();
    password_.clear();
    unload();
}

} // namespace zor
