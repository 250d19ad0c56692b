#include "frame/trace.h"
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>
#include "frame/names.h"
#include "frame/values.h"
#include "runtime/clock.h"

namespace zor {

namespace trace {

std::atomic<int> state{0};

// A thread's tracing state, reached once per call (a thread-local costs a look-up each time).
struct ThreadState {
    std::wstring swallowed; // the causes swallowed during the current call
    std::string spareLine;  // the last line's buffer, kept for the next (no allocation)
    // The last call's "Class.Method" in UTF-8, and whether its text is secret.
    const wchar_t* lastProgId = nullptr;
    const NameTable* lastNames = nullptr;
    DISPID lastId = 0;
    const NameTable::Member* lastMember = nullptr;
    // The current second's "yyyy-mm-dd hh:mm:ss." in local time.
    ULONGLONG stampSecond = 0;
    char stamp[24] = {};
    size_t stampLength = 0;
    std::string lastName;
    bool lastSecret = false;
};
thread_local ThreadState threadState;

namespace {

HANDLE file = INVALID_HANDLE_VALUE;

// The lines leave the caller's path: appending to the file costs far more than a line, so a caller
// copies its line into the batch being filled and a writer thread appends whole batches, one
// write each. A batch holds only whole lines, so lines stay whole across processes and threads.
// Two batches: one being filled, one being written.
constexpr size_t batchSize = 256 * 1024;
struct Batch {
    char* data = nullptr;
    std::atomic<size_t> size{0};
};
Batch batches[2];
std::atomic<int> filling{0};  // the batch that callers append to
std::atomic<int> writing{-1}; // the batch handed to the file right now, -1 when none
SRWLOCK queueLock = SRWLOCK_INIT; // appends and the hand-over of the filled batch
SRWLOCK writeLock = SRWLOCK_INIT; // held by whoever writes: batches reach the file in order
CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
bool writerIdle = false; // under queueLock: the writer waits for a first line
std::atomic<bool> queued{false}; // the writer runs: lines are queued, else each is written at once
HANDLE writer = nullptr;         // the writer thread, kept to see it gone at the process's end

void writeAll(const char* data, size_t size) {
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
}

// Hands the batch being filled to the file (under writeLock).
void flushBatch() {
    AcquireSRWLockExclusive(&queueLock);
    const int f = filling.load(std::memory_order_relaxed);
    const size_t n = batches[f].size.load(std::memory_order_relaxed);
    if (n) { // the other batch was emptied by the last flush
        writing.store(f);
        filling.store(1 - f);
    }
    ReleaseSRWLockExclusive(&queueLock);
    if (!n) return;
    writeAll(batches[f].data, n);
    batches[f].size.store(0);
    writing.store(-1);
}

void flush() {
    AcquireSRWLockExclusive(&writeLock);
    flushBatch();
    ReleaseSRWLockExclusive(&writeLock);
}

DWORD WINAPI writerThread(void*) {
    for (;;) {
        AcquireSRWLockExclusive(&queueLock);
        while (batches[filling.load(std::memory_order_relaxed)].size.load(std::memory_order_relaxed) == 0) {
            writerIdle = true;
            SleepConditionVariableSRW(&wake, &queueLock, INFINITE, 0);
        }
        writerIdle = false;
        ReleaseSRWLockExclusive(&queueLock);
        Sleep(20); // lets a burst of calls gather into one write
        flush();
    }
}

// Appends one whole line: into the batch being filled, or (tracing without the writer thread,
// or a line larger than a batch) to the file at once, after what is queued before it.
void emit(const std::string& line) {
    const size_t len = line.size();
    const bool queue = queued.load(std::memory_order_acquire);
    while (queue && len <= batchSize) {
        AcquireSRWLockExclusive(&queueLock);
        Batch& b = batches[filling.load(std::memory_order_relaxed)];
        const size_t n = b.size.load(std::memory_order_relaxed);
        if (n + len <= batchSize) {
            // The size is published after the bytes: a process ending mid-copy still holds
            // only whole lines.
            memcpy(b.data + n, line.data(), len);
            b.size.store(n + len, std::memory_order_release);
            const bool wakeWriter = writerIdle;
            writerIdle = false;
            ReleaseSRWLockExclusive(&queueLock);
            if (wakeWriter) WakeConditionVariable(&wake);
            return;
        }
        ReleaseSRWLockExclusive(&queueLock);
        flush(); // the batch is full: written here, as the writer would
    }
    AcquireSRWLockExclusive(&writeLock);
    if (queue) flushBatch();
    writeAll(line.data(), len);
    ReleaseSRWLockExclusive(&writeLock);
}

// Queues lines from now on when a writer thread can run for the rest of the process: the module
// is pinned first, so that no unload can come while lines wait or the thread runs.
void startWriter() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(&writerThread), &self))
        return;
    for (Batch& b : batches) {
        b.data = static_cast<char*>(VirtualAlloc(nullptr, batchSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!b.data) return;
    }
    writer = CreateThread(nullptr, 64 * 1024, writerThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!writer) return;
    queued.store(true, std::memory_order_release); // after the batches and the thread exist
}

// The file named by the environment, else by the per-user setting; empty when tracing is off.
std::wstring traceFileName() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"ZORUTILITY_TRACE", buf, static_cast<DWORD>(std::size(buf)));
    if (n > 0 && n < std::size(buf)) return std::wstring(buf, n);
    // REG_SZ alone: the platform expands a REG_EXPAND_SZ value itself, and refuses the two types
    // asked for together without RRF_NOEXPAND before Windows 8.1.
    DWORD size = sizeof buf, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZorUtility", L"Trace", RRF_RT_REG_SZ, &type, buf, &size) ==
        ERROR_SUCCESS)
        return buf;
    return {};
}

void utf8(std::string& out, std::wstring_view s) {
    if (s.empty()) return;
    size_t at = out.size();
    size_t ascii = 0;
    while (ascii < s.size() && s[ascii] < 0x80) ++ascii;
    if (ascii == s.size()) { // names, numbers and most texts: one byte each
        out.reserve(at + ascii);
        for (wchar_t c : s) out.push_back(static_cast<char>(c));
        return;
    }
    out.resize(at + 3 * s.size()); // at most three bytes for each UTF-16 unit
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data() + at,
                                static_cast<int>(3 * s.size()), nullptr, nullptr);
    out.resize(at + n);
}

// The system time, precise to the microsecond where the platform allows: a line's time and, as the
// difference of two, the time spent (the precise system time costs a fraction of the counter's
// call here).
ULONGLONG preciseNow() { return systemTimeNow(); }

// The local time of a line, from the system time and the local offset, which is looked up again
// once a minute (the platform's local-time call costs more than the rest of a line).
std::atomic<ULONGLONG> nextCheck{0};
std::atomic<LONGLONG> localOffset{0};
ULONGLONG localTime(ULONGLONG utc) {
    LONGLONG offset = localOffset.load(std::memory_order_relaxed);
    if (utc >= nextCheck.load(std::memory_order_relaxed)) {
        FILETIME now{DWORD(utc), DWORD(utc >> 32)}, local;
        FileTimeToLocalFileTime(&now, &local);
        offset = LONGLONG((ULONGLONG(local.dwHighDateTime) << 32) | local.dwLowDateTime) - LONGLONG(utc);
        localOffset.store(offset, std::memory_order_relaxed);
        nextCheck.store(utc + 60ull * 10000000ull, std::memory_order_relaxed);
    }
    return utc + offset;
}

void number(std::string& out, unsigned long long n) {
    char buf[24];
    char* p = buf + sizeof buf;
    for (; n > 0xFFFFFFFFull; n /= 10) *--p = static_cast<char>('0' + n % 10);
    unsigned long m = static_cast<unsigned long>(n); // the rest in word-sized division
    do *--p = static_cast<char>('0' + m % 10);
    while (m /= 10);
    out.append(p, buf + sizeof buf - p);
}

// A text quoted, cut at 80 characters, with control characters and quotes escaped.
void quoted(std::string& out, std::wstring_view s) {
    wchar_t t[2 + 80 * 4]; // the quotes, and each character escaped at most as \xNN
    size_t n = 0;
    t[n++] = L'"';
    for (size_t i = 0; i < s.size() && i < 80; ++i) {
        wchar_t c = s[i];
        if (c == L'"' || c == L'\\') {
            t[n++] = L'\\';
            t[n++] = c;
        } else if (c < 0x20 || c == 0x7F) {
            static const wchar_t hex[] = L"0123456789ABCDEF";
            t[n++] = L'\\';
            t[n++] = L'x';
            t[n++] = hex[c >> 4];
            t[n++] = hex[c & 15];
        } else {
            t[n++] = c;
        }
    }
    t[n++] = L'"';
    utf8(out, std::wstring_view(t, n));
    if (s.size() > 80) {
        out += "... (";
        number(out, s.size());
        out += " characters)";
    }
}

const char* typeName(VARTYPE vt) {
    static const char* const names[] = {"Empty", "Null", "Integer", "Long", "Single", "Double", "Currency", "Date",
                                        "String", "Object", "Error", "Boolean", "Variant", "Unknown", "Decimal"};
    if (vt < std::size(names)) return names[vt];
    return vt == VT_UI1 ? "Byte" : nullptr;
}

// The plain values that most calls pass and return, written without a copy: a String, a Long,
// an Integer or a Boolean, given directly or through a reference. False for any other value.
bool plainValue(std::string& out, const VARIANT& given, bool secret) {
    const VARIANT* v = &given;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) {
        v = V_VARIANTREF(v);
        if (!v || V_ISBYREF(v)) return false;
    }
    const bool ref = V_ISBYREF(v);
    if (ref && !V_BYREF(v)) return false;
    switch (V_VT(v) & ~VT_BYREF) {
    case VT_BSTR: {
        BSTR b = ref ? *V_BSTRREF(v) : V_BSTR(v);
        out += secret ? "String ***" : "String ";
        if (!secret) quoted(out, std::wstring_view(b ? b : L"", SysStringLen(b)));
        return true;
    }
    case VT_I4: case VT_I2: {
        long n = (V_VT(v) & ~VT_BYREF) == VT_I4 ? (ref ? *V_I4REF(v) : V_I4(v)) : (ref ? *V_I2REF(v) : V_I2(v));
        out += (V_VT(v) & ~VT_BYREF) == VT_I4 ? "Long" : "Integer";
        if (secret) {
            out += " ***";
        } else {
            out += n < 0 ? " -" : " ";
            number(out, n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n));
        }
        return true;
    }
    case VT_BOOL:
        out += secret ? "Boolean ***" : ((ref ? *V_BOOLREF(v) : V_BOOL(v)) ? "Boolean True" : "Boolean False");
        return true;
    default:
        return false;
    }
}

// A value as its type and its value: String "x", Long 5, Boolean True, Null, Variant() ...
void value(std::string& out, const VARIANT& given, bool secret) {
    if (plainValue(out, given, secret)) return;
    Variant v;
    if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&given)))) {
        out += "?";
        return;
    }
    const VARIANT& r = v.get(); // read through get(): the owner's address is for out parameters
    const VARTYPE vt = V_VT(&r);
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
        snprintf(buf, sizeof buf, " 0x%08lX", static_cast<unsigned long>(V_ERROR(&r)));
        out += V_ERROR(&r) == DISP_E_PARAMNOTFOUND ? " (missing)" : buf;
        return;
    case VT_BSTR:
        out += ' ';
        quoted(out, std::wstring_view(V_BSTR(&r) ? V_BSTR(&r) : L"", SysStringLen(V_BSTR(&r))));
        return;
    default: {
        Variant text;
        const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
        if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&r), english, VARIANT_ALPHABOOL | VARIANT_NOUSEROVERRIDE, VT_BSTR))) return;
        out += ' ';
        utf8(out, str(V_BSTR(&text.get())));
    }
    }
}

// Whether s holds `part` (lower case), regardless of case.
bool contains(std::wstring_view s, std::wstring_view part) {
    auto lower = [](wchar_t c) { // member names are ASCII: the library call only for others
        return c < 0x80 ? (c >= L'A' && c <= L'Z' ? wchar_t(c + 32) : c) : static_cast<wchar_t>(towlower(c));
    };
    for (size_t at = 0; at + part.size() <= s.size(); ++at) {
        size_t i = 0;
        while (i < part.size() && lower(s[at + i]) == part[i]) ++i;
        if (i == part.size()) return true;
    }
    return false;
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
            if (on) startWriter();
        }
    } catch (...) {
    }
    state.store(on ? 2 : 1);
    return on;
}

Call::Call(const wchar_t* progId, const NameTable* names, DISPID id, const DISPPARAMS* params) noexcept {
    start_ = preciseNow();
    thread_ = &threadState;
    thread_->swallowed.clear();
    try {
        line_.swap(thread_->spareLine); // empty when a call made inside a traced call holds it
        line_.clear();
        line_.reserve(256);
        // "yyyy-mm-dd hh:mm:ss." changes once a second: kept per thread.
        ThreadState& ts = *thread_;
        const ULONGLONG local = localTime(start_);
        if (local / 10000000 != ts.stampSecond || !ts.stampLength) {
            FILETIME f{DWORD(local), DWORD(local >> 32)};
            SYSTEMTIME t;
            FileTimeToSystemTime(&f, &t);
            char* h = ts.stamp;
            auto put = [&h](unsigned n, int width) {
                for (int i = width - 1; i >= 0; --i, n /= 10) h[i] = static_cast<char>('0' + n % 10);
                h += width;
            };
            put(t.wYear, t.wYear > 9999 ? 5 : 4), *h++ = '-', put(t.wMonth, 2), *h++ = '-', put(t.wDay, 2), *h++ = ' ';
            put(t.wHour, 2), *h++ = ':', put(t.wMinute, 2), *h++ = ':', put(t.wSecond, 2), *h++ = '.';
            ts.stampLength = h - ts.stamp;
            ts.stampSecond = local / 10000000;
        }
        line_.append(ts.stamp, ts.stampLength);
        const unsigned ms = static_cast<unsigned>(local / 10000 % 1000);
        line_ += static_cast<char>('0' + ms / 100);
        line_ += static_cast<char>('0' + ms / 10 % 10);
        line_ += static_cast<char>('0' + ms % 10);
        line_ += " pid ";
        number(line_, GetCurrentProcessId());
        line_ += " tid ";
        number(line_, GetCurrentThreadId());
        line_ += ' ';
        // "Class.Method" and whether the method's text is secret, kept per thread for the next call
        // (loops call one method again and again).
        if (ts.lastProgId != progId || ts.lastNames != names || ts.lastId != id || ts.lastName.empty()) {
            ts.lastProgId = nullptr; // no match while the text is incomplete
            ts.lastMember = names ? names->byId(id) : nullptr;
            const NameTable::Member* m = ts.lastMember;
            ts.lastName.clear();
            const wchar_t* dot = wcschr(progId, L'.');
            utf8(ts.lastName, dot ? dot + 1 : progId);
            ts.lastName += '.';
            ts.lastSecret = false;
            if (m) {
                utf8(ts.lastName, m->name);
                ts.lastSecret = contains(m->name, L"cryptstring"); // the scrambling methods' text
            } else {
                ts.lastName += "DISPID ";
                number(ts.lastName, static_cast<unsigned long>(id));
            }
            ts.lastProgId = progId, ts.lastNames = names, ts.lastId = id;
        }
        line_ += ts.lastName;
        secret_ = ts.lastSecret;
        const NameTable::Member* m = ts.lastMember;
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
    const ULONGLONG end = preciseNow();
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
        if (!thread_->swallowed.empty()) {
            line_ += " | swallowed: ";
            utf8(line_, thread_->swallowed);
        }
        line_ += " | ";
        number(line_, end > start_ ? (end - start_) / 10 : 0); // 0 when the clock was set back meanwhile
        line_ += " us\r\n";
        emit(line_);
    } catch (...) {
    }
    std::string& spare = thread_->spareLine;
    if (line_.capacity() > spare.capacity() && line_.capacity() <= 4096) line_.swap(spare);
    thread_->swallowed.clear();
}

void processDetach(bool terminating) noexcept {
    if (!queued) return; // every line went to the file at once
    if (!terminating) { // not reached while the writer runs (the module is pinned); kept sound
        flush();
        return;
    }
    // The process ends: its other threads are gone, the writer among them, perhaps holding a
    // lock or in the middle of a write. Only this thread runs: what is still queued is written
    // here, without locks, the batch in hand first. A batch the writer had already written but
    // not yet marked done would appear twice; none is lost.
    // The platform may still be ending the writer thread: it is not waited for its work, only
    // for its end, which needs no lock.
    WaitForSingleObject(writer, 2000);
    const int w = writing.load(), f = filling.load();
    if (w >= 0 && batches[w].size.load()) writeAll(batches[w].data, batches[w].size.load());
    if (f != w && batches[f].size.load()) writeAll(batches[f].data, batches[f].size.load());
    batches[0].size.store(0);
    batches[1].size.store(0);
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
        std::wstring& s = trace::threadState.swallowed;
        if (s.size() > 1000) return; // a long skipped loop keeps its first causes
        if (!s.empty()) s += L"; ";
        s += cause;
    } catch (...) {
    }
}

} // namespace zor
