// The logon prompt: a user name and a password of at most 12 characters each. OK with a blank
// user name is answered with a message box and the prompt stays open.
#pragma once
#include "form.h"

namespace zor {

class frmLogon final : public forms::Form {
public:
    frmLogon();

    // Shows the window modally when no user name is stored yet, then gives the stored name.
    std::wstring Username();
    // The stored password; never shows the window.
    std::wstring Password() const { return strPassword_; }

private:
    void load() override;
    void click(const forms::Control& c) override;
    void cmdOK_Click();
    void cmdCancel_Click();

    std::wstring strUsername_, strPassword_;
};

} // namespace zor
