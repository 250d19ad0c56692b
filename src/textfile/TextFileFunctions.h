#pragma once
#include "frame/dispatch.h"

namespace zor {

class TextFileFunctions final : public DispatchObject<_TextFileFunctions> {
public:
    TextFileFunctions() : DispatchObject(L"ZorUtility.TextFileFunctions") {}
    STDMETHODIMP CreateLogFile(BSTR strFilename, VARIANT strHeader, VARIANT_BOOL *result) override;
    STDMETHODIMP CreateLogFileWithBackup(BSTR strFilename, VARIANT strHeader, VARIANT intDays, VARIANT_BOOL *result) override;
    STDMETHODIMP ExtractDirectoryPath(BSTR strInputFile, BSTR *result) override;
    STDMETHODIMP UpdateLogFile(BSTR strLogFile, BSTR strDetails, VARIANT_BOOL *result) override;
    STDMETHODIMP ExtractFilename(BSTR strInputFile, BSTR *result) override;
    STDMETHODIMP ExtractFilenameNoExtension(BSTR strInputFile, BSTR *result) override;
    STDMETHODIMP ExtractExtension(BSTR strInputFile, BSTR *result) override;
    STDMETHODIMP IsInLogFile(BSTR strLogFile, BSTR strSearch, VARIANT_BOOL *result) override;
    STDMETHODIMP ReadIniFile(BSTR strIniFile, BSTR strSection, BSTR strKey, BSTR *result) override;
    STDMETHODIMP CreateINIFile(BSTR strFilename, VARIANT strHeader, VARIANT_BOOL *result) override;
    STDMETHODIMP WriteINIFile(BSTR strIniFile, BSTR strHeader, BSTR strSection, BSTR strValue, VARIANT_BOOL *result) override;
    STDMETHODIMP WriteINIFileBlankLine(BSTR strIniFile, VARIANT_BOOL *result) override;
    STDMETHODIMP FileExists(BSTR strFilename, VARIANT_BOOL *result) override;
    STDMETHODIMP DirExists(BSTR strDirName, VARIANT_BOOL *result) override;
    STDMETHODIMP AddDirSep(BSTR *strPathName) override;
    STDMETHODIMP AddURLDirSep(BSTR *strPathName) override;
    STDMETHODIMP IsUNCName(BSTR strPathName, short *result) override;
    STDMETHODIMP ReadTextFileString(BSTR strFilename, BSTR *result) override;
    STDMETHODIMP ReadTextFileVariant(BSTR strFilename, VARIANT *result) override;
    STDMETHODIMP ShellTextFile(IDispatch *frmForm, BSTR strFilename, LONG *result) override;
    STDMETHODIMP SetFileDate(BSTR strFilename, DATE dteDate, VARIANT_BOOL *result) override;
    STDMETHODIMP GetShortName(BSTR sLongFileName, BSTR *result) override;

private:
    std::wstring directoryPart(const std::wstring& path); // ExtractDirectoryPath, through the interface
};

} // namespace zor
