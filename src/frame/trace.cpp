#include "frame/trace.h"
#include <cstdio>
#include <mutex>
#include "frame/names.h"
#include "frame/values.h"
#include "runtime/clock.h"
#include "runtime/guards.h"

namespace zor::trace {

std::atomic<int> state{0};

// Reached once per call (each access to a thread-local costs a look-up).
struct ThreadState {
    std::wstring swallowed; // the causes swallowed during the current call
    ULONGLONG ms = 0;       // of the system time, for:
    std::string head;       // "yyyy-mm-dd hh:mm:ss.mmm pid n tid n ", which changes once a millisecond
    std::string spare;      // the last line's buffer, for the next (an allocation costs more than a line)
};
thread_local ThreadState threadState;

namespace {

// Lines wait in one buffer (a write per line costs several calls) and reach the file whole: when it
// is full, 20 ms after its first line (a pool timer), when an object goes, and at the process's end.
HANDLE file = INVALID_HANDLE_VALUE;
PTP_TIMER timer = nullptr;
Lock bufferLock; // the buffer, and the writes, which leave in order
char buffer[256 * 1024];
std::atomic<size_t> used{0}; // published after a line's bytes: the buffer holds whole lines

// Wine finds the end and writes in two steps, so appenders take turns: a lock on a byte far beyond
// any content (the library's append channels hold the byte before it while open).
void append(const char* data, size_t size) {
    OVERLAPPED turn{0, 0, {{1, 0x7FFFFFFF}}, nullptr};
    bool held; // a writer that does not let go within a second is not waited for
    for (DWORD t = GetTickCount(); !(held = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &turn));)
        if (GetTickCount() - t < 1000) Sleep(1); else break;
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    if (held) UnlockFileEx(file, 0, 1, 0, &turn);
}

void flush() { if (size_t n = used.load(std::memory_order_relaxed)) append(buffer, n), used.store(0); } // under bufferLock
VOID CALLBACK onTimer(PTP_CALLBACK_INSTANCE, PVOID, PTP_TIMER) { std::lock_guard<Lock> guard(bufferLock); flush(); }

void emit(const std::string& line) {
    std::lock_guard<Lock> guard(bufferLock);
    size_t n = used.load(std::memory_order_relaxed);
    if (n + line.size() > sizeof buffer) flush(), n = 0;
    if (line.size() > sizeof buffer || !timer) return append(line.data(), line.size()); // nothing would write it later
    line.copy(buffer + n, line.size());
    used.store(n + line.size(), std::memory_order_release);
    FILETIME due{static_cast<DWORD>(-20 * 10000), ~0u}; // 20 ms from now
    if (n == 0) SetThreadpoolTimer(timer, &due, 0, 10); // the first line waiting
}

// The file named by the environment, else by the per-user setting; empty when tracing is off.
std::wstring traceFileName() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"ZORUTILITY_TRACE", buf, static_cast<DWORD>(std::size(buf)));
    if (n > 0 && n < std::size(buf)) return std::wstring(buf, n);
    DWORD size = sizeof buf; // REG_SZ alone: the platform expands REG_EXPAND_SZ (both at once fail before 8.1)
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZorUtility", L"Trace", RRF_RT_REG_SZ, nullptr, buf, &size) ? L"" : buf;
}

void utf8(std::string& out, std::wstring_view s) {
    const size_t at = out.size(), n = s.size();
    out.resize(at + 3 * n); // at most three bytes for each UTF-16 unit
    size_t i = 0;
    for (char* d = &out[at]; i < n && s[i] < 0x80; ++i) d[i] = static_cast<char>(s[i]); // names, numbers, most texts
    out.resize(at + (i == n ? n : WideCharToMultiByte(CP_UTF8, 0, s.data(), int(n), &out[at], int(3 * n), nullptr, nullptr)));
}

// A text quoted, cut at 80 characters, with control characters and quotes escaped.
void quoted(std::string& out, std::wstring_view s) {
    wchar_t t[2 + 80 * 4] = {L'"'}, *p = t + 1; // the quotes, and each character escaped at most as \xNN
    for (size_t i = 0, n = s.size() < 80 ? s.size() : 80; i < n; ++i) {
        const wchar_t c = s.data()[i];
        if (c == L'"' || c == L'\\') *p++ = L'\\';
        if (c >= 0x20 && c != 0x7F) *p++ = c;
        else *p++ = L'\\', *p++ = L'x', *p++ = L"0123456789ABCDEF"[c >> 4], *p++ = L"0123456789ABCDEF"[c & 15];
    }
    *p++ = L'"';
    utf8(out, std::wstring_view(t, p - t));
    if (s.size() > 80) (out += "... (") += std::to_string(s.size()) += " characters)";
}

// A value as its type and its value: String "x", Long 5, Boolean True, Null, Variant() ...
void value(std::string& out, const VARIANT& given, bool secret) {
    // Strings, which most calls pass and return, are read in place: a copy costs more than the line.
    const VARIANT* p = V_VT(&given) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&given) ? V_VARIANTREF(&given) : &given;
    const BSTR* b = V_VT(p) == VT_BSTR ? &V_BSTR(p) : V_VT(p) == (VT_BYREF | VT_BSTR) ? V_BSTRREF(p) : nullptr;
    if (b) return secret ? (void)(out += "String ***") : quoted(out += "String ", {*b ? *b : L"", SysStringLen(*b)});
    Variant v;
    if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&given)))) return (void)(out += "?");
    static const char* const names[] = {"Empty", "Null", "Integer", "Long", "Single", "Double", "Currency", "Date", "String",
                                        "Object", "Error", "Boolean", "Variant", "Unknown", "Decimal", nullptr, nullptr, "Byte"};
    const VARIANT& r = v.get(); // read through get(): the owner's address is for out parameters
    const VARTYPE vt = V_VT(&r), base = vt & VT_TYPEMASK;
    char buf[32];
    if (base < std::size(names) && names[base]) out += names[base];
    else snprintf(buf, sizeof buf, "VarType %u", unsigned(base)), out += buf;
    if (vt & VT_ARRAY) return (void)(out += "()");
    if (secret) return (void)(out += " ***");
    if (vt == VT_ERROR) {
        snprintf(buf, sizeof buf, " 0x%08lX", static_cast<unsigned long>(V_ERROR(&r)));
        out += V_ERROR(&r) == DISP_E_PARAMNOTFOUND ? " (missing)" : buf;
    } else if (vt != VT_EMPTY && vt != VT_NULL && vt != VT_DISPATCH && vt != VT_UNKNOWN) {
        Variant text;
        const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
        if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&r), english, VARIANT_ALPHABOOL | VARIANT_NOUSEROVERRIDE, VT_BSTR))) return;
        utf8(out += ' ', str(V_BSTR(&text.get())));
    }
}

// Whether s holds the lower-case letters `part`, in any case.
bool contains(std::wstring_view s, const wchar_t* part) {
    for (const wchar_t *w = s.data(), *end = w + s.size(); w < end; ++w) {
        size_t i = 0;
        while (part[i] && w + i < end && (w[i] | 0x20) == part[i]) ++i;
        if (!part[i]) return true;
    }
    return false;
}

} // namespace

bool readSwitch() noexcept {
    std::lock_guard<Lock> guard(bufferLock); // one thread reads it; the others wait for its answer
    if (state.load() != 0) return state.load() == 2;
    try { // read data too: Windows locks byte ranges only through a handle that reads or writes data
        std::wstring name = traceFileName();
        if (!name.empty())
            file = CreateFileW(name.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE |
                               FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) timer = CreateThreadpoolTimer(onTimer, nullptr, nullptr); // DllMain pins us
    } catch (...) {}
    state.store(file != INVALID_HANDLE_VALUE ? 2 : 1); // a file that cannot be opened leaves tracing off
    return state.load() == 2;
}

Call::Call(const wchar_t* progId, const NameTable* names, DISPID id, const DISPPARAMS* params) noexcept
    : start_(systemTimeNow()), thread_(&threadState) {
    ThreadState& ts = *thread_;
    ts.swallowed.clear();
    try {
        if (start_ / 10000 != ts.ms || ts.head.empty()) {
            FILETIME utc{DWORD(start_), DWORD(start_ >> 32)}, local;
            SYSTEMTIME t;
            FileTimeToLocalFileTime(&utc, &local), FileTimeToSystemTime(&local, &t);
            char buf[80];
            snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u pid %lu tid %lu ", t.wYear, t.wMonth, t.wDay,
                     t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentProcessId(), GetCurrentThreadId());
            ts.head = buf, ts.ms = start_ / 10000;
        }
        line_.swap(ts.spare); // empty when a call made inside a traced call holds it
        line_ = ts.head;
        const NameTable::Member* m = names ? names->byId(id) : nullptr;
        const wchar_t* dot = wcschr(progId, L'.');
        utf8(line_, dot ? dot + 1 : progId);
        if (m) utf8(line_ += '.', m->name);
        else (line_ += ".DISPID ") += std::to_string(static_cast<unsigned long>(id));
        secret_ = m && contains(m->name, L"cryptstring"); // the scrambling methods' text
        line_ += '(';
        const UINT count = params ? params->cArgs : 0;
        for (UINT k = 0; k < count; ++k) {
            // Positional arguments come last, in reverse order; named ones first with their position.
            const UINT i = count - 1 - k;
            long position = i < params->cNamedArgs ? params->rgdispidNamedArgs[i] : static_cast<long>(count - 1 - i);
            const bool named = m && position >= 0 && static_cast<size_t>(position) < m->params.size();
            if (k) line_ += ", ";
            if (named) utf8(line_, m->params[position]), line_ += '=';
            value(line_, params->rgvarg[i], secret_ || (named && contains(m->params[position], L"password")));
        }
        line_ += ')';
    } catch (...) {
        line_.clear();
    }
}

void Call::finish(HRESULT hr, const VARIANT* result, const EXCEPINFO* excep) noexcept {
    const ULONGLONG end = systemTimeNow();
    try {
        if (line_.empty()) return;
        if (SUCCEEDED(hr)) {
            if (result) value(line_ += " -> ", *result, secret_);
            else line_ += " -> (no result asked)";
        } else { // the error as the caller sees it: its number and description
            const bool given = hr == DISP_E_EXCEPTION && excep;
            const HRESULT code = given ? (excep->scode ? excep->scode : MAKE_HRESULT(1, FACILITY_CONTROL, excep->wCode)) : hr;
            const bool automation = (code & 0xFFFF0000) == 0x800A0000;
            char buf[40];
            snprintf(buf, sizeof buf, automation ? " -> error %lu " : " -> error 0x%08lX ", automation ? code & 0xFFFFul : ULONG(code));
            ComPtr<IErrorInfo> info;
            Bstr d;
            utf8(line_ += buf, given ? str(excep->bstrDescription) : L"");
            if (!given && hr == DISP_E_EXCEPTION && GetErrorInfo(0, info.out()) == S_OK && info) {
                if (SUCCEEDED(info->GetDescription(d.out()))) utf8(line_, d.text()); // as the caller reads it
                SetErrorInfo(0, info.get()); // left for the caller as it was
            }
        }
        if (!thread_->swallowed.empty()) utf8(line_ += " | swallowed: ", thread_->swallowed);
        (line_ += " | ") += std::to_string(end > start_ ? (end - start_) / 10 : 0); // 0 when the clock was set back meanwhile
        emit(line_ += " us\r\n");
    } catch (...) {}
    if (line_.capacity() <= 4096) line_.swap(thread_->spare);
    thread_->swallowed.clear();
}

// Never waits: the holder is adding or writing, or was killed holding it as the process ends.
void flushWaiting() noexcept { std::unique_lock<Lock> guard(bufferLock, std::try_to_lock); if (guard) flush(); }

void processDetach() noexcept { // no lock: the other threads are gone, perhaps in the middle of a write
    if (size_t n = used.exchange(0)) append(buffer, n); // written once, whatever is released after
}

} // namespace zor::trace

void zor::noteSwallowed() noexcept {
    std::wstring& s = trace::threadState.swallowed;
    if (!traceOn() || s.size() > 1000) return; // a long skipped loop keeps its first causes
    try { // the failure being handled, as an untrapped method would have answered it
        Error e = Error::fromHresult(E_UNEXPECTED);
        try { throw; } catch (const Error& x) { e = x; } catch (const std::bad_alloc&) { e = Error(errOutOfMemory); } catch (...) {}
        s += (s.empty() ? L"" : L"; ") + decimal(e.number ? e.number : static_cast<long>(e.hresult())) + L" " + e.description();
    } catch (...) {}
}
