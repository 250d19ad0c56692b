// The logon prompt: a user name and a password of at most 12 characters each. OK with a blank
// user name is answered with a message box and the prompt stays open.
#pragma once
#include "dialogs/form.h"

namespace zor {

class LogonForm final : public forms::Form {
public:
    LogonForm();

    // Shows the window modally when no user name is stored yet, then gives the stored name.
    std::wstring username();
    // The stored password; never shows the window.
    std::wstring password() const { return password_; }

private:
    void load() override;
    void click(const forms::Control& c) override;
    void confirm();
    void cancel();

    std::wstring username_, password_;
};

} // namespace zor
