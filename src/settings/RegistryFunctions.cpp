#include "settings/RegistryFunctions.h"
#include <algorithm>
#include <vector>

namespace zor {

namespace {

// The per-user settings store that the classic automation runtime's settings statements use,
// so that programs using those statements see the same values: one registry key per
// application and section, one string value per key.
constexpr wchar_t storeRoot[] = L"Software\\VB and VBA Program Settings\\";

// The registry's limits: a key name holds at most 255 characters, a value name 16,383. A name
// with a NUL would be cut there and name another key, so it is refused too.
constexpr size_t maxKeyName = 255;
constexpr size_t maxValueName = 16383;

std::wstring checkedName(BSTR b, size_t limit) {
    std::wstring name = str(b);
    if (name.empty() || name.size() > limit || name.find(L'\0') != std::wstring::npos) throw Error(errIllegalCall);
    return name;
}

// An application or section name is a key path: levels separated by "\", each a key name of its
// own. An empty level ("\", "A\", "A\\B") would lead out of its place: into the store's root, or
// from a section into its application's key.
std::wstring checkedKeyName(BSTR b) {
    std::wstring name = str(b);
    if (name.find(L'\0') != std::wstring::npos) throw Error(errIllegalCall);
    for (size_t start = 0;;) {
        size_t end = std::min(name.find(L'\\', start), name.size());
        if (end == start || end - start > maxKeyName) throw Error(errIllegalCall);
        if (end == name.size()) return name;
        start = end + 1;
    }
}

std::wstring sectionPath(BSTR strAppName, BSTR strSection) {
    return storeRoot + checkedKeyName(strAppName) + L"\\" + checkedKeyName(strSection);
}

void checkStore(LONG status) {
    if (status != ERROR_SUCCESS) throw Error::fromWin32(static_cast<DWORD>(status));
}

// The section's key, or nothing when it does not exist.
RegKey openSection(const std::wstring& path, REGSAM access) {
    RegKey key;
    LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, key.out());
    if (status != ERROR_FILE_NOT_FOUND) checkStore(status);
    return key;
}

// A string value's text, without its terminating NUL; a value of another type is no setting.
std::wstring settingText(DWORD type, const std::vector<wchar_t>& data, DWORD bytes) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw Error(errTypeMismatch);
    size_t n = bytes / sizeof(wchar_t);
    if (n > 0 && data[n - 1] == L'\0') --n;
    return std::wstring(data.data(), n);
}

// The value of one key, or the empty string when the key, section or application is missing.
std::wstring readSetting(const std::wstring& path, const std::wstring& name) {
    RegKey key = openSection(path, KEY_QUERY_VALUE);
    if (!key) return L"";
    std::vector<wchar_t> data(256);
    for (;;) {
        DWORD type = 0, bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        LONG status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_FILE_NOT_FOUND) return L"";
        if (status == ERROR_MORE_DATA) {
            data.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        checkStore(status);
        return settingText(type, data, bytes);
    }
}

// Every string value of the section as a table of Variant Strings with lower bounds 0: one row
// per key, its name in column 0 and its value in column 1. Empty when the section is missing
// or holds no keys.
Variant readSection(const std::wstring& path) {
    RegKey key = openSection(path, KEY_QUERY_VALUE);
    if (!key) return Variant();
    DWORD count = 0, nameChars = 0, dataBytes = 0;
    checkStore(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &nameChars,
                                &dataBytes, nullptr, nullptr));
    std::vector<std::vector<Bstr>> rows;
    rows.reserve(count);
    std::vector<wchar_t> name(nameChars + 1), data(dataBytes / sizeof(wchar_t) + 1);
    for (DWORD i = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0;
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        LONG status = RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) { // a value grew while the section was read
            name.resize(name.size() * 2);
            data.resize(std::max<size_t>(data.size() * 2, bytes / sizeof(wchar_t) + 1));
            continue;
        }
        checkStore(status);
        ++i;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        std::vector<Bstr> row;
        row.emplace_back(std::wstring_view(name.data(), nameLength));
        row.emplace_back(settingText(type, data, bytes));
        rows.push_back(std::move(row));
    }
    return stringTable(rows);
}

} // namespace

// Failures skipped, in all four methods: a store that cannot be read or written, or a name it
// cannot hold, gives True, or Empty.

STDMETHODIMP RegistryFunctions::SaveRegSetting(BSTR strAppName, BSTR strSection, BSTR strKey, BSTR strSetting,
                                               VARIANT_BOOL* result) {
    return trapped(result, true, [&] {
        std::wstring path = sectionPath(strAppName, strSection), name = checkedName(strKey, maxValueName);
        std::wstring setting = str(strSetting);
        RegKey key;
        checkStore(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(),
                                   nullptr));
        checkStore(RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(setting.c_str()),
                                  static_cast<DWORD>((setting.size() + 1) * sizeof(wchar_t))));
        return true;
    });
}

STDMETHODIMP RegistryFunctions::DeleteRegSetting(BSTR strAppName, BSTR strSection, BSTR strKey,
                                                 VARIANT_BOOL* result) {
    return trapped(result, true, [&] {
        std::wstring path = sectionPath(strAppName, strSection);
        if (str(strKey).empty()) { // an omitted key means the whole section
            checkStore(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()));
            return true;
        }
        std::wstring name = checkedName(strKey, maxValueName);
        RegKey key = openSection(path, KEY_SET_VALUE);
        if (key) checkStore(RegDeleteValueW(key.get(), name.c_str()));
        return true;
    });
}

STDMETHODIMP RegistryFunctions::GetRegSetting(BSTR strAppName, BSTR strSection, BSTR strKey, VARIANT* result) {
    return trapped(result, Variant(), [&] {
        return variantOf(readSetting(sectionPath(strAppName, strSection), checkedName(strKey, maxValueName)));
    });
}

STDMETHODIMP RegistryFunctions::GetAllRegSettings(BSTR strAppName, BSTR strSection, VARIANT* result) {
    return trapped(result, Variant(), [&] { return readSection(sectionPath(strAppName, strSection)); });
}

} // namespace zor
