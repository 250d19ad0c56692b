// TextFileFunctions: path strings, log files, INI files, whole-file reading and attributes.
#include "TextFileFunctions.h"
#include "../runtime/text.h"

namespace zor {

namespace {
bool isSlash(wchar_t c) { return c == L'\\' || c == L'/'; }
} // namespace

// ---- path and file-name strings ------------------------------------------------------------
// Only "\" separates file-path parts; AddDirSep and AddURLDirSep accept either slash; the
// extension methods cut at the first full stop.

STDMETHODIMP TextFileFunctions::ExtractDirectoryPath(BSTR strInputFile, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    // Failures skipped: whatever step fails, the method returns what it has.
    skip([&] {
        std::wstring w = str(strInputFile);
        size_t last = w.rfind(L'\\');
        w.resize(last == std::wstring::npos ? 0 : last + 1);
        *result = newBstr(w);
    });
    return S_OK;
}

STDMETHODIMP TextFileFunctions::ExtractFilename(BSTR strInputFile, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return untrapped([&] {
        std::wstring w = str(strInputFile);
        size_t last = w.rfind(L'\\');
        *result = newBstr(last == std::wstring::npos ? std::wstring_view(w) : std::wstring_view(w).substr(last + 1));
    });
}

STDMETHODIMP TextFileFunctions::ExtractFilenameNoExtension(BSTR strInputFile, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return untrapped([&] {
        Bstr input(str(strInputFile));
        Bstr name;
        check(self()->ExtractFilename(input.get(), name.out()));
        std::wstring n = name.text();
        *result = newBstr(std::wstring_view(n).substr(0, n.find(L'.')));
    });
}

STDMETHODIMP TextFileFunctions::ExtractExtension(BSTR strInputFile, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return untrapped([&] {
        std::wstring w = str(strInputFile);
        size_t dot = w.find(L'.');
        *result = newBstr(dot == std::wstring::npos ? std::wstring_view(w) : std::wstring_view(w).substr(dot + 1));
    });
}

STDMETHODIMP TextFileFunctions::AddDirSep(BSTR* strPathName) {
    if (!strPathName) return E_POINTER;
    return untrapped([&] {
        std::wstring s = str(*strPathName);
        std::wstring_view t = trimSpaces(s);
        if (!t.empty() && isSlash(t.back())) return; // already ends in a separator: left exactly as it is
        std::wstring out(trimRightSpaces(s));
        out += L'\\';
        replaceBstr(strPathName, out);
    });
}

STDMETHODIMP TextFileFunctions::AddURLDirSep(BSTR* strPathName) {
    if (!strPathName) return E_POINTER;
    return untrapped([&] {
        std::wstring s = str(*strPathName);
        std::wstring_view t = trimSpaces(s);
        if (!t.empty() && isSlash(t.back())) return;
        std::wstring out(t);
        out += L'/';
        replaceBstr(strPathName, out);
    });
}

STDMETHODIMP TextFileFunctions::IsUNCName(BSTR strPathName, short* result) {
    if (!result) return E_POINTER;
    *result = 0;
    return untrapped([&] {
        std::wstring s = str(strPathName);
        *result = (s.size() >= 2 && isSlash(s[0]) && isSlash(s[1])) ? -1 : 0;
    });
}

// ---- not built yet ------------------------------------------------------------------------

STDMETHODIMP TextFileFunctions::CreateLogFile(BSTR, VARIANT, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::CreateLogFileWithBackup(BSTR, VARIANT, VARIANT, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::UpdateLogFile(BSTR, BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::IsInLogFile(BSTR, BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::ReadIniFile(BSTR, BSTR, BSTR, BSTR*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::CreateINIFile(BSTR, VARIANT, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::WriteINIFile(BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::WriteINIFileBlankLine(BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::FileExists(BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::DirExists(BSTR, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::ReadTextFileString(BSTR, BSTR*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::ReadTextFileVariant(BSTR, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::ShellTextFile(IDispatch*, BSTR, LONG*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::SetFileDate(BSTR, DATE, VARIANT_BOOL*) { return E_NOTIMPL; }
STDMETHODIMP TextFileFunctions::GetShortName(BSTR, BSTR*) { return E_NOTIMPL; }

} // namespace zor
