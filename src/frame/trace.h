// The trace switch: with ZORUTILITY_TRACE (or HKCU\Software\ZorUtility, value Trace) naming a file, each
// call through IDispatch appends a line to it. Read once per process; off, a call pays one load.
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
void processDetach() noexcept; // at the process's end: the lines still waiting go to the file
void flushWaiting() noexcept;  // the lines waiting go to the file now, unless a thread is at them

// One traced call: notes the arguments and the start time, then writes the line.
class Call {
public:
    Call(const wchar_t* progId, const NameTable* names, DISPID id, const DISPPARAMS* params) noexcept;
    void finish(HRESULT hr, const VARIANT* result, const EXCEPINFO* excep) noexcept;

private:
    ULONGLONG start_;        // the system time, 100-nanosecond units
    std::string line_;       // the text so far, UTF-8
    bool secret_ = false;    // a scrambling method: its text is never written
    ThreadState* thread_;
};
} // namespace trace

inline bool traceOn() noexcept {
    int s = trace::state.load(std::memory_order_relaxed);
    return s == 2 || (s == 0 && trace::readSwitch());
}

// Inside a catch block of a mode that swallows failures: the failure becomes the call's swallowed cause.
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
