// Module data and services shared by every class: the type library cache, the per-thread
// start-up procedure and the error information of the untrapped mode.
#include "frame/dispatch.h"
#include <mutex>
#include <vector>
#include "runtime/module.h"
#include "runtime/guards.h"

namespace zor {

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_serverLocks{0};

namespace {
// The type library is loaded once per process from this module's own resources, and each
// interface's description is looked up once; ITypeLib and ITypeInfo are safe to share between
// apartments.
Lock typeLibLock;
ITypeLib* typeLib = nullptr;
std::vector<std::pair<IID, ITypeInfo*>> typeInfos;

thread_local bool threadStarted = false;
thread_local long lngIsWindowsNT = 0;
} // namespace

HRESULT interfaceTypeInfo(REFIID iid, ITypeInfo** out) {
    *out = nullptr;
    std::lock_guard<Lock> guard(typeLibLock);
    for (const auto& [known, info] : typeInfos)
        if (IsEqualIID(known, iid)) {
            *out = info;
            info->AddRef();
            return S_OK;
        }
    if (!typeLib) {
        wchar_t path[MAX_PATH * 2];
        DWORD n = GetModuleFileNameW(thisModule(), path, static_cast<DWORD>(std::size(path)));
        if (n == 0 || n >= std::size(path)) return HRESULT_FROM_WIN32(GetLastError());
        HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &typeLib);
        if (FAILED(hr)) return hr;
    }
    ComPtr<ITypeInfo> dispatchInfo;
    HRESULT hr = typeLib->GetTypeInfoOfGuid(iid, dispatchInfo.out());
    if (FAILED(hr)) return hr;
    // For a dual interface the dispatch description refers to the vtable one, which is what
    // ITypeInfo::Invoke calls through.
    HREFTYPE ref = 0;
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(dispatchInfo->GetRefTypeOfImplType(-1, &ref))) {
        hr = dispatchInfo->GetRefTypeInfo(ref, &info);
        if (FAILED(hr)) return hr;
    } else {
        info = dispatchInfo.get();
        info->AddRef();
    }
    typeInfos.emplace_back(iid, info); // kept for the life of the process
    *out = info;
    info->AddRef();
    return S_OK;
}

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
