// Module data and services shared by every class: the per-thread start-up procedure and the
// error information of the untrapped mode.
#include "frame/dispatch.h"

namespace zor {

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_serverLocks{0};

void objectGone() noexcept {
    --g_liveObjects;
    if (trace::state.load(std::memory_order_relaxed) == 2) trace::flushWaiting();
}

namespace {
thread_local bool threadStarted = false;
thread_local long lngIsWindowsNT = 0;
} // namespace

void startThread() {
    if (threadStarted) return;
    DWORD version = GetVersion();
    lngIsWindowsNT = (version & 0x80000000u) ? 0 : 1;
    threadStarted = true;
}

long isWindowsNT() {
    startThread();
    return lngIsWindowsNT;
}

HRESULT raiseError(const Error& e, REFIID iid, const wchar_t* source) noexcept {
    HRESULT hr = e.hresult();
    try {
        ComPtr<ICreateErrorInfo> create;
        if (SUCCEEDED(CreateErrorInfo(create.out()))) {
            create->SetGUID(iid);
            create->SetSource(const_cast<LPOLESTR>(source));
            std::wstring description = e.description();
            create->SetDescription(description.data());
            ComPtr<IErrorInfo> info;
            if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.outVoid()))) SetErrorInfo(0, info.get());
        }
    } catch (...) {
    }
    return hr;
}

std::wstring errorText(std::wstring_view prefix, const Error& e, std::wstring_view separator) {
    std::wstring t(prefix);
    t += decimal(e.number != 0 ? e.number : static_cast<long>(e.hresult()));
    t += separator;
    t += e.description();
    return t;
}

} // namespace zor
