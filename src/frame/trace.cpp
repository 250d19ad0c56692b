#include "frame/trace.h"
#include <cstdio>
#include <cwchar>
#include <new>
#include "frame/names.h"
#include "frame/values.h"

namespace zor {

namespace trace {

std::atomic<int> state{0};

namespace {

HANDLE file = INVALID_HANDLE_VALUE;
LARGE_INTEGER frequency{};
thread_local std::wstring swallowed; // the causes swallowed during the current call

// The file named by the environment, else by the per-user setting; empty when tracing is off.
std::wstring traceFileName() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"ZORUTILITY_TRACE", buf, static_cast<DWORD>(std::size(buf)));
    if (n > 0 && n < std::size(buf)) return std::wstring(buf, n);
    DWORD size = sizeof buf, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZorUtility", L"Trace", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ,
                     &type, buf, &size) == ERROR_SUCCESS)
        return buf;
    return {};
}

void utf8(std::string& out, std::wstring_view s) {
    if (s.empty()) return;
    size_t at = out.size();
    out.resize(at + 3 * s.size()); // at most three bytes for each UTF-16 unit
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data() + at,
                                static_cast<int>(3 * s.size()), nullptr, nullptr);
    out.resize(at + n);
}

// The local time of a line, from the system time and the local offset, which is looked up again
// once a minute (the platform's local-time call costs more than the rest of a line).
SYSTEMTIME localNow() {
    thread_local ULONGLONG nextCheck = 0;
    thread_local LONGLONG offset = 0;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG utc = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    if (utc >= nextCheck) {
        FILETIME local;
        FileTimeToLocalFileTime(&now, &local);
        offset = LONGLONG((ULONGLONG(local.dwHighDateTime) << 32) | local.dwLowDateTime) - LONGLONG(utc);
        nextCheck = utc + 60ull * 10000000ull;
    }
    ULONGLONG t = utc + offset;
    FILETIME f{DWORD(t), DWORD(t >> 32)};
    SYSTEMTIME s;
    FileTimeToSystemTime(&f, &s);
    return s;
}

// A text quoted, cut at 80 characters, with control characters and quotes escaped.
void quoted(std::string& out, std::wstring_view s) {
    std::wstring t = L"\"";
    for (size_t i = 0; i < s.size() && i < 80; ++i) {
        wchar_t c = s[i];
        if (c == L'"' || c == L'\\') {
            t += L'\\';
            t += c;
        } else if (c < 0x20 || c == 0x7F) {
            wchar_t esc[8];
            swprintf(esc, 8, L"\\x%02X", unsigned(c));
            t += esc;
        } else {
            t += c;
        }
    }
    t += L'"';
    if (s.size() > 80) t += L"... (" + decimal(static_cast<long long>(s.size())) + L" characters)";
    utf8(out, t);
}

const char* typeName(VARTYPE vt) {
    static const char* const names[] = {"Empty", "Null", "Integer", "Long", "Single", "Double", "Currency", "Date",
                                        "String", "Object", "Error", "Boolean", "Variant", "Unknown", "Decimal"};
    if (vt < std::size(names)) return names[vt];
    return vt == VT_UI1 ? "Byte" : nullptr;
}

// A value as its type and its value: String "x", Long 5, Boolean True, Null, Variant() ...
void value(std::string& out, const VARIANT& given, bool secret) {
    Variant v;
    if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&given)))) {
        out += "?";
        return;
    }
    const VARTYPE vt = V_VT(&v);
    const char* name = typeName(vt & VT_TYPEMASK);
    char buf[32];
    if (!name) {
        snprintf(buf, sizeof buf, "VarType %u", unsigned(vt & VT_TYPEMASK));
        name = buf;
    }
    out += name;
    if (vt & VT_ARRAY) {
        out += "()";
        return;
    }
    if (secret) {
        out += " ***";
        return;
    }
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_DISPATCH: case VT_UNKNOWN:
        return;
    case VT_ERROR:
        snprintf(buf, sizeof buf, " 0x%08lX", static_cast<unsigned long>(V_ERROR(&v)));
        out += V_ERROR(&v) == DISP_E_PARAMNOTFOUND ? " (missing)" : buf;
        return;
    case VT_BSTR:
        out += ' ';
        quoted(out, std::wstring_view(V_BSTR(&v) ? V_BSTR(&v) : L"", SysStringLen(V_BSTR(&v))));
        return;
    default: {
        Variant text;
        const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
        if (FAILED(VariantChangeTypeEx(&text, &v, english, VARIANT_ALPHABOOL | VARIANT_NOUSEROVERRIDE, VT_BSTR))) return;
        out += ' ';
        utf8(out, str(V_BSTR(&text.get())));
    }
    }
}

bool contains(const std::wstring& s, const wchar_t* part) {
    std::wstring lower = s;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    return lower.find(part) != std::wstring::npos;
}

void number(std::string& out, unsigned long long n) {
    char buf[24];
    snprintf(buf, sizeof buf, "%llu", n);
    out += buf;
}

} // namespace

bool readSwitch() noexcept {
    static std::atomic_flag reading = ATOMIC_FLAG_INIT;
    if (reading.test_and_set()) { // another thread is reading it: wait for its answer
        while (state.load() == 0) Sleep(0);
        return state.load() == 2;
    }
    bool on = false;
    try {
        std::wstring name = traceFileName();
        if (!name.empty()) {
            // Appending only: each line is one write at the end of the file, whole even when
            // several processes and threads write at once.
            file = CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            on = file != INVALID_HANDLE_VALUE; // a file that cannot be opened leaves tracing off
            QueryPerformanceFrequency(&frequency);
        }
    } catch (...) {
    }
    state.store(on ? 2 : 1);
    return on;
}

Call::Call(const wchar_t* progId, REFIID iid, DISPID id, const DISPPARAMS* params) noexcept {
    QueryPerformanceCounter(&start_);
    swallowed.clear();
    try {
        line_.reserve(256);
        SYSTEMTIME t = localNow();
        char head[96];
        snprintf(head, sizeof head, "%04u-%02u-%02u %02u:%02u:%02u.%03u pid %lu tid %lu ", t.wYear, t.wMonth, t.wDay,
                 t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentProcessId(), GetCurrentThreadId());
        line_.assign(head);
        const wchar_t* dot = wcschr(progId, L'.');
        utf8(line_, dot ? dot + 1 : progId);
        line_ += '.';
        const NameTable* names = interfaceNames(iid);
        const NameTable::Member* m = names ? names->byId(id) : nullptr;
        if (m) {
            utf8(line_, m->name);
            secret_ = contains(m->name, L"cryptstring"); // the scrambling methods' text
        } else {
            line_ += "DISPID ";
            number(line_, static_cast<unsigned long>(id));
        }
        line_ += '(';
        const UINT count = params ? params->cArgs : 0;
        for (UINT k = 0; k < count; ++k) {
            // Positional arguments come last, in reverse order; named ones first with their position.
            const UINT i = count - 1 - k;
            long position = i < params->cNamedArgs ? params->rgdispidNamedArgs[i] : static_cast<long>(count - 1 - i);
            if (k) line_ += ", ";
            bool secret = secret_;
            if (m && position >= 0 && static_cast<size_t>(position) < m->params.size()) {
                utf8(line_, m->params[position]);
                line_ += '=';
                secret = secret || contains(m->params[position], L"password");
            }
            value(line_, params->rgvarg[i], secret);
        }
        line_ += ')';
    } catch (...) {
        line_.clear();
    }
}

void Call::finish(HRESULT hr, const VARIANT* result, const EXCEPINFO* excep) noexcept {
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    try {
        if (line_.empty()) return;
        if (SUCCEEDED(hr)) {
            line_ += " -> ";
            if (result) value(line_, *result, secret_);
            else line_ += "(no result asked)";
        } else {
            // The error as the caller sees it: its number and description.
            HRESULT code = hr;
            std::wstring description;
            if (hr == DISP_E_EXCEPTION && excep) {
                code = excep->scode ? excep->scode : MAKE_HRESULT(1, FACILITY_CONTROL, excep->wCode);
                description = str(excep->bstrDescription);
            } else if (hr == DISP_E_EXCEPTION) { // the caller takes it from the error information
                IErrorInfo* info = nullptr;
                if (GetErrorInfo(0, &info) == S_OK && info) {
                    BSTR d = nullptr;
                    if (SUCCEEDED(info->GetDescription(&d))) description = str(d);
                    SysFreeString(d);
                    SetErrorInfo(0, info); // left for the caller as it was
                    info->Release();
                }
            }
            char buf[40];
            if (HRESULT_FACILITY(code) == FACILITY_CONTROL && (code & 0xFFFF0000) == 0x800A0000)
                snprintf(buf, sizeof buf, " -> error %lu ", static_cast<unsigned long>(code & 0xFFFF));
            else
                snprintf(buf, sizeof buf, " -> error 0x%08lX ", static_cast<unsigned long>(code));
            line_ += buf;
            utf8(line_, description);
        }
        if (!swallowed.empty()) {
            line_ += " | swallowed: ";
            utf8(line_, swallowed);
        }
        line_ += " | ";
        number(line_, static_cast<unsigned long long>((end.QuadPart - start_.QuadPart) * 1000000 / frequency.QuadPart));
        line_ += " us\r\n";
        DWORD written = 0;
        WriteFile(file, line_.data(), static_cast<DWORD>(line_.size()), &written, nullptr);
    } catch (...) {
    }
    swallowed.clear();
}

} // namespace trace

void noteSwallowed() noexcept {
    if (!traceOn()) return;
    try {
        std::wstring cause;
        try {
            throw;
        } catch (const Error& e) {
            cause = decimal(e.number ? e.number : static_cast<long>(e.hresult())) + L" " + e.description();
        } catch (const std::bad_alloc&) {
            cause = decimal(errOutOfMemory) + L" " + errorDescription(errOutOfMemory);
        } catch (...) {
            cause = L"unexpected failure";
        }
        std::wstring& s = trace::swallowed;
        if (s.size() > 1000) return; // a long skipped loop keeps its first causes
        if (!s.empty()) s += L"; ";
        s += cause;
    } catch (...) {
    }
}

} // namespace zor
