#include "runtime/clock.h"
#include <atomic>

namespace zor {

double secondsSinceMidnight() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

SystemTimeFunction systemTimeSource() {
    // Looked up once; threads that meet here the first time find the same answer, so a plain
    // atomic store is enough (no lock: a contended one would make a kernel object).
    static std::atomic<SystemTimeFunction> source{nullptr};
    SystemTimeFunction f = source.load(std::memory_order_acquire);
    if (!f) {
        // Windows 7 has no precise clock: importing it would keep the library from loading there.
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        f = kernel ? reinterpret_cast<SystemTimeFunction>(
                         reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")))
                   : nullptr;
        if (!f) f = &GetSystemTimeAsFileTime;
        source.store(f, std::memory_order_release);
    }
    return f;
}

ULONGLONG systemTimeNow() {
    FILETIME now;
    systemTimeSource()(&now);
    return (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

} // namespace zor
