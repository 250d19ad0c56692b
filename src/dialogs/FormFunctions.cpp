#include "dialogs/FormFunctions.h"
#include "dialogs/AboutForm.h"
#include "dialogs/CalendarForm.h"
#include "dialogs/LogonForm.h"

namespace zor {

// The user name and password from a new logon prompt; false when the user backed out, and then
// the caller's password stays as it was.
STDMETHODIMP FormFunctions::GetUserDetails(BSTR *strUsername, BSTR *strPassword, VARIANT_BOOL *result) {
    return untrapped(result, inout(strUsername, strPassword), [&](std::wstring& username, std::wstring& password) {
        LogonForm form;
        username = form.username();
        if (username.empty()) return false;
        password = form.password();
        return true;
    });
}

STDMETHODIMP FormFunctions::DisplayAbout(BSTR strCompanyName, BSTR strAppName, BSTR strVersion, VARIANT_BOOL *result) {
    return untrapped(result, [&] {
        AboutForm form;
        return form.show(str(strCompanyName), str(strAppName), str(strVersion));
    });
}

STDMETHODIMP FormFunctions::DisplayZORAbout(BSTR strAppName, BSTR strVersion, VARIANT_BOOL *result) {
    return untrapped(result, [&] {
        ZorAboutForm form;
        return form.show(str(strAppName), str(strVersion));
    });
}

// The day the user picks in the calling thread's calendar, as day/month/year.
STDMETHODIMP FormFunctions::GetCalDate(BSTR *result) {
    return untrapped(result, [&] { return threadCalendar().pickDate(); });
}

} // namespace zor
