#include "frame/trace.h"
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include "frame/names.h"
#include "frame/values.h"
#include "runtime/guards.h"

namespace zor {

namespace trace {

std::atomic<int> state{0};

namespace {

HANDLE file = INVALID_HANDLE_VALUE;
Lock fileLock;
thread_local std::wstring swallowed; // the causes swallowed during the current call

// The file named by the environment, else by the per-user setting; empty when tracing is off.
std::wstring traceFileName() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"ZORUTILITY_TRACE", buf, static_cast<DWORD>(std::size(buf)));
    if (n > 0 && n < std::size(buf)) return std::wstring(buf, n);
    DWORD size = sizeof buf;
    LSTATUS e = RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZorUtility", L"Trace", RRF_RT_REG_SZ, nullptr, buf, &size);
    return e == ERROR_SUCCESS ? buf : L"";
}

void utf8(std::string& out, std::wstring_view s) {
    size_t at = out.size(), ascii = 0;
    while (ascii < s.size() && s[ascii] < 0x80) ++ascii;
    if (ascii == s.size()) return (void)out.append(s.begin(), s.end()); // names, numbers, most texts
    out.resize(at + 3 * s.size()); // at most three bytes for each UTF-16 unit
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data() + at,
                                static_cast<int>(3 * s.size()), nullptr, nullptr);
    out.resize(at + n);
}

// A number in decimal, padded with zeros to `width` digits.
void number(std::string& out, unsigned long long n, int width = 1) {
    char buf[24];
    char* p = buf + sizeof buf;
    do *--p = static_cast<char>('0' + n % 10);
    while ((n /= 10) || buf + sizeof buf - p < width);
    out.append(p, buf + sizeof buf - p);
}

// A text quoted, cut at 80 characters, with control characters and quotes escaped.
void quoted(std::string& out, std::wstring_view s) {
    std::wstring t = L"\"";
    for (wchar_t c : s.substr(0, 80)) {
        if (c == L'"' || c == L'\\') t += L'\\';
        if (c >= 0x20 && c != 0x7F) t += c;
        else t += {L'\\', L'x', L"0123456789ABCDEF"[c >> 4], L"0123456789ABCDEF"[c & 15]};
    }
    utf8(out, t += L'"');
    if (s.size() > 80) number(out += "... (", s.size()), out += " characters)";
}

// A value as its type and its value: String "x", Long 5, Boolean True, Null, Variant() ...
void value(std::string& out, const VARIANT& given, bool secret) {
    Variant v;
    if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&given)))) return (void)(out += "?");
    static const char* const names[] = {"Empty", "Null", "Integer", "Long", "Single", "Double", "Currency", "Date",
                                        "String", "Object", "Error", "Boolean", "Variant", "Unknown", "Decimal",
                                        nullptr, nullptr, "Byte"};
    const VARIANT& r = v.get();
    const VARTYPE vt = V_VT(&r), base = vt & VT_TYPEMASK;
    char buf[32];
    if (base < std::size(names) && names[base]) out += names[base];
    else snprintf(buf, sizeof buf, "VarType %u", unsigned(base)), out += buf;
    if (vt & VT_ARRAY) {
        out += "()";
    } else if (secret) {
        out += " ***";
    } else if (vt == VT_ERROR) {
        snprintf(buf, sizeof buf, " 0x%08lX", static_cast<unsigned long>(V_ERROR(&r)));
        out += V_ERROR(&r) == DISP_E_PARAMNOTFOUND ? " (missing)" : buf;
    } else if (vt == VT_BSTR) {
        quoted(out += ' ', std::wstring_view(V_BSTR(&r) ? V_BSTR(&r) : L"", SysStringLen(V_BSTR(&r))));
    } else if (vt != VT_EMPTY && vt != VT_NULL && vt != VT_DISPATCH && vt != VT_UNKNOWN) {
        Variant text;
        const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
        if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&r), english, VARIANT_ALPHABOOL | VARIANT_NOUSEROVERRIDE, VT_BSTR))) return;
        utf8(out += ' ', str(V_BSTR(&text.get())));
    }
}

// Whether s holds `part` (lower case), regardless of case (member names are ASCII).
bool contains(std::wstring_view s, std::wstring_view part) {
    auto same = [](wchar_t a, wchar_t b) { return (a >= L'A' && a <= L'Z' ? a + 32 : a) == b; };
    return std::search(s.begin(), s.end(), part.begin(), part.end(), same) != s.end();
}

ULONGLONG preciseNow() { // the system time in 100-nanosecond units, to the microsecond
    FILETIME f;
    GetSystemTimePreciseAsFileTime(&f);
    return (ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

} // namespace

bool readSwitch() noexcept {
    static Lock reading;
    std::lock_guard<Lock> guard(reading); // one thread reads it; the others wait for its answer
    if (state.load() != 0) return state.load() == 2;
    bool on = false;
    try {
        std::wstring name = traceFileName();
        // Appending only: each line is one write at the end of the file, whole even when
        // several processes and threads write at once.
        if (!name.empty())
            file = CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        on = file != INVALID_HANDLE_VALUE; // a file that cannot be opened leaves tracing off
    } catch (...) {}
    state.store(on ? 2 : 1);
    return on;
}

Call::Call(const wchar_t* progId, const NameTable* names, DISPID id, const DISPPARAMS* params) noexcept {
    start_ = preciseNow();
    swallowed.clear();
    try {
        FILETIME utc{DWORD(start_), DWORD(start_ >> 32)}, local;
        SYSTEMTIME t;
        FileTimeToLocalFileTime(&utc, &local);
        FileTimeToSystemTime(&local, &t);
        const struct { unsigned n; int width; char after; } parts[] = {
            {t.wYear, 4, '-'}, {t.wMonth, 2, '-'}, {t.wDay, 2, ' '}, {t.wHour, 2, ':'}, {t.wMinute, 2, ':'},
            {t.wSecond, 2, '.'}, {t.wMilliseconds, 3, ' '}};
        for (const auto& part : parts) number(line_, part.n, part.width), line_ += part.after;
        number(line_ += "pid ", GetCurrentProcessId());
        number(line_ += " tid ", GetCurrentThreadId());
        const wchar_t* dot = wcschr(progId, L'.');
        utf8(line_ += ' ', dot ? dot + 1 : progId);
        line_ += '.';
        const NameTable::Member* m = names ? names->byId(id) : nullptr;
        if (m) {
            utf8(line_, m->name);
            secret_ = contains(m->name, L"cryptstring"); // the scrambling methods' text
        } else {
            number(line_ += "DISPID ", static_cast<unsigned long>(id));
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
                utf8(line_, m->params[position]), line_ += '=';
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
    const ULONGLONG end = preciseNow();
    try {
        if (line_.empty()) return;
        if (SUCCEEDED(hr)) {
            if (result) value(line_ += " -> ", *result, secret_);
            else line_ += " -> (no result asked)";
        } else {
            // The error as the caller sees it: its number and description.
            HRESULT code = hr;
            std::wstring description;
            ComPtr<IErrorInfo> info;
            Bstr d;
            if (hr == DISP_E_EXCEPTION && excep) {
                code = excep->scode ? excep->scode : MAKE_HRESULT(1, FACILITY_CONTROL, excep->wCode);
                description = str(excep->bstrDescription);
            } else if (hr == DISP_E_EXCEPTION && GetErrorInfo(0, info.out()) == S_OK && info) {
                if (SUCCEEDED(info->GetDescription(d.out()))) description = d.text(); // as the caller reads it
                SetErrorInfo(0, info.get()); // left for the caller as it was
            }
            char buf[40];
            snprintf(buf, sizeof buf, (code & 0xFFFF0000) == 0x800A0000 ? " -> error %lu " : " -> error 0x%08lX ",
                     static_cast<unsigned long>((code & 0xFFFF0000) == 0x800A0000 ? code & 0xFFFF : code));
            utf8(line_ += buf, description);
        }
        if (!swallowed.empty()) utf8(line_ += " | swallowed: ", swallowed);
        number(line_ += " | ", end > start_ ? (end - start_) / 10 : 0); // 0 when the clock was set back meanwhile
        line_ += " us\r\n";
        std::lock_guard<Lock> guard(fileLock);
        DWORD written = 0;
        WriteFile(file, line_.data(), static_cast<DWORD>(line_.size()), &written, nullptr);
    } catch (...) {}
    swallowed.clear();
}

} // namespace trace

void noteSwallowed() noexcept {
    std::wstring& s = trace::swallowed;
    if (!traceOn() || s.size() > 1000) return; // a long skipped loop keeps its first causes
    try {
        auto add = [&s](const Error& e) {
            s += (s.empty() ? L"" : L"; ") + decimal(e.number ? e.number : static_cast<long>(e.hresult())) + L" " +
                 e.description();
        };
        try {
            throw;
        } catch (const Error& e) {
            add(e);
        } catch (const std::bad_alloc&) {
            add(Error(errOutOfMemory));
        } catch (...) {
            s += s.empty() ? L"unexpected failure" : L"; unexpected failure";
        }
    } catch (...) {}
}

} // namespace zor
