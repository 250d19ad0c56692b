#include "FormFunctions.h"
#include "frmAbout.h"
#include "frmCalendar.h"
#include "frmLogon.h"

namespace zor {

// The user name and password from a new logon prompt; false when the user backed out, and then
// the caller's password stays as it was.
STDMETHODIMP FormFunctions::GetUserDetails(BSTR *strUsername, BSTR *strPassword, VARIANT_BOOL *result) {
    if (!strUsername || !strPassword) return E_POINTER;
    return untrapped(result, [&] {
        bool ok = true;
        frmLogon form;
        replaceBstr(strUsername, form.Username());
        if (SysStringLen(*strUsername) != 0)
            replaceBstr(strPassword, form.Password());
        else
            ok = false;
        return ok;
    });
}

STDMETHODIMP FormFunctions::DisplayAbout(BSTR strCompanyName, BSTR strAppName, BSTR strVersion, VARIANT_BOOL *result) {
    return untrapped(result, [&] {
        frmAbout form;
        return form.DisplayAbout(str(strCompanyName), str(strAppName), str(strVersion));
    });
}

STDMETHODIMP FormFunctions::DisplayZORAbout(BSTR strAppName, BSTR strVersion, VARIANT_BOOL *result) {
    return untrapped(result, [&] {
        frmZORAbout form;
        return form.DisplayAbout(str(strAppName), str(strVersion));
    });
}

// The day the user picks in the calling thread's calendar, as day/month/year.
STDMETHODIMP FormFunctions::GetCalDate(BSTR *result) {
    return untrapped(result, [&] { return threadCalendar().CalDate(); });
}

} // namespace zor
