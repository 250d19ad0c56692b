// The form utilities: a caller's form put into the notification area and taken out again, and
// centred on the screen. The form is reached only through its members, looked up by name.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include "dialogs/FormFunctions.h"
#include "frame/members.h"
#include "runtime/numbers.h"
#include "runtime/platform.h"

namespace zor {

namespace {

constexpr UINT iconId = 1;
constexpr UINT iconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP; // 7
constexpr size_t tipLength = 64;
// The record's first, ANSI form: 88 bytes in a 32-bit process, wider handles in a 64-bit one.
constexpr DWORD firstRecordSize = offsetof(NOTIFYICONDATAA, szTip) + tipLength;
constexpr long minimized = 1;

// The notification-icon record in its first form. It lives in the platform's full structure,
// zeroed beyond its 88 bytes, so the tip field is followed by a NUL even when it is full.
NOTIFYICONDATAA notifyIconData(HWND hWnd, UINT uID, UINT uFlags, UINT uCallbackMessage, HICON hIcon,
                                    std::wstring_view strTip) {
    static_assert(sizeof(void*) == 8 || firstRecordSize == 88);
    NOTIFYICONDATAA data{};
    data.cbSize = firstRecordSize;
    data.hWnd = hWnd;
    data.uID = uID;
    data.uFlags = uFlags;
    data.uCallbackMessage = uCallbackMessage;
    data.hIcon = hIcon;
    // The tip, a NUL and spaces in 64 characters; longer text is cut at 64, of which the shell
    // shows 63. In a double-byte code page the field takes the first 64 bytes.
    std::wstring tip(strTip.substr(0, tipLength));
    tip += L'\0';
    tip.resize(tipLength, L' ');
    std::string ansi = toAnsi(tip);
    std::memcpy(data.szTip, ansi.data(), std::min(ansi.size(), tipLength));
    return data;
}

// Arguments for the form's members; numbers and Booleans hold nothing to free.
VARIANT longValue(long v) {
    VARIANT r;
    V_VT(&r) = VT_I4;
    V_I4(&r) = v;
    return r;
}

VARIANT boolValue(bool b) {
    VARIANT r;
    V_VT(&r) = VT_BOOL;
    V_BOOL(&r) = vbool(b);
    return r;
}

double numberMember(IDispatch* form, std::wstring_view name) {
    Variant v;
    getMember(form, name, v);
    return variantNumber(v.get());
}

// Integer division of the automation runtime: the dividend is first rounded to a whole number
// (halves to even), then the quotient loses its fraction (toward zero).
long halfOf(double value) { return roundToInteger32(value) / 2; }

} // namespace

STDMETHODIMP FormFunctions::AddIconToSysTray(IDispatch* frmForm, BSTR strTooltip, LONG lngIcon, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        HWND hwnd = windowMember(frmForm);
        NOTIFYICONDATAA data = notifyIconData(hwnd, iconId, iconFlags, WM_MOUSEMOVE,
                                                   reinterpret_cast<HICON>(static_cast<LONG_PTR>(lngIcon)), str(strTooltip));
        platform().Shell_NotifyIconA(NIM_ADD, &data); // a shell failure is not reported
        putMember(frmForm, L"WindowState", longValue(minimized));
        putMember(frmForm, L"Visible", boolValue(false));
        return true;
    });
}

STDMETHODIMP FormFunctions::DeleteIconFromSysTray(IDispatch* frmForm, LONG lngIcon, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        HWND hwnd = windowMember(frmForm);
        NOTIFYICONDATAA data = notifyIconData(hwnd, iconId, iconFlags, 1,
                                                   reinterpret_cast<HICON>(static_cast<LONG_PTR>(lngIcon)), L"");
        platform().Shell_NotifyIconA(NIM_DELETE, &data);
        return true;
    });
}

STDMETHODIMP FormFunctions::CenterForm(IDispatch* frmForm, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        TwipSize screen = platform().screenSizeInTwips();
        long left = halfOf(screen.width - numberMember(frmForm, L"Width"));
        long top = halfOf(screen.height - numberMember(frmForm, L"Height"));
        callMember(frmForm, L"Move", {longValue(left), longValue(top)});
        return true;
    });
}

} // namespace zor
