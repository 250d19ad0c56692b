#pragma once
#include "frame/dispatch.h"

namespace zor {

class FormFunctions final : public DispatchObject<_FormFunctions> {
public:
    FormFunctions() : DispatchObject(L"ZorUtility.FormFunctions") {}
    STDMETHODIMP AddIconToSysTray(IDispatch *frmForm, BSTR strTooltip, LONG lngIcon, VARIANT_BOOL *result) override;
    STDMETHODIMP DeleteIconFromSysTray(IDispatch *frmForm, LONG lngIcon, VARIANT_BOOL *result) override;
    STDMETHODIMP CenterForm(IDispatch *frmForm, VARIANT_BOOL *result) override;
    STDMETHODIMP GetUserDetails(BSTR *strUsername, BSTR *strPassword, VARIANT_BOOL *result) override;
    STDMETHODIMP DisplayAbout(BSTR strCompanyName, BSTR strAppName, BSTR strVersion, VARIANT_BOOL *result) override;
    STDMETHODIMP DisplayZORAbout(BSTR strAppName, BSTR strVersion, VARIANT_BOOL *result) override;
    STDMETHODIMP GetCalDate(BSTR *result) override;
};

} // namespace zor
