// The trace switch: with the environment variable ZORUTILITY_TRACE naming a file (or the value
// `Trace` under HKEY_CURRENT_USER\Software\ZorUtility), every call that reaches a class through
// IDispatch appends one line to that file: time, process and thread, class.method, arguments,
// result or error, the failure that a trapped or skipped mode swallowed, and the microseconds
// spent. The switch is read once per process; off, a call pays one load and one comparison.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <atomic>
#include <string>

namespace zor {

class NameTable;

namespace trace {
struct ThreadState;
extern std::atomic<int> state; // 0 not read yet, 1 off, 2 on
bool readSwitch() noexcept;    // reads it once; true when a trace file is open
// At DLL_PROCESS_DETACH: the lines still queued go to the file.
void processDetach(bool terminating) noexcept;

// One traced call: notes the arguments and the start time, then writes the line.
class Call {
public:
    Call(const wchar_t* progId, const NameTable* names, DISPID id, const DISPPARAMS* params) noexcept;
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    void finish(HRESULT hr, const VARIANT* result, const EXCEPINFO* excep) noexcept;

private:
    ULONGLONG start_ = 0; // the system time, 100-nanosecond units
    std::string line_; // the text so far, UTF-8
    bool secret_ = false; // a scrambling method: its text is never written
    ThreadState* thread_ = nullptr;
};
} // namespace trace

inline bool traceOn() noexcept {
    int s = trace::state.load(std::memory_order_relaxed);
    return s == 2 || (s == 0 && trace::readSwitch());
}

// Called inside a catch block of a mode that swallows failures: when tracing, the failure being
// handled becomes the swallowed cause of the current call.
void noteSwallowed() noexcept;

// An IDispatch call made through `invoke` (which takes the EXCEPINFO to fill), with its line.
template <class F>
HRESULT tracedInvoke(const wchar_t* progId, const NameTable* names, DISPID id, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* excep, F&& invoke) noexcept {
    trace::Call call(progId, names, id, params);
    HRESULT hr = invoke(excep);
    call.finish(hr, result, excep);
    return hr;
}

} // namespace zor
