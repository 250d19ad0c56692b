// The one dispatch base that every class of the library derives from: IUnknown, IDispatch through
// the embedded type library, ISupportErrorInfo, and the four error modes as wrappers that a
// method body runs inside. No C++ exception leaves a wrapper.
#pragma once
#include <atomic>
#include <new>
#include "ZorUtility.h"
#include "frame/byref.h"
#include "frame/names.h"
#include "frame/results.h"
#include "frame/trace.h"
#include "runtime/module.h"

namespace zor {

extern std::atomic<long> g_liveObjects;
extern std::atomic<long> g_serverLocks;
// An object or class factory of the library goes. The trace's waiting lines are written now: a
// page or script ends by releasing its objects, and its host may then end the process without the
// process-end notice (a server recycling its worker; under Wine now and then).
void objectGone() noexcept;

// Per-thread start-up: sets lngIsWindowsNT from GetVersion once in each thread.
void startThread();
long isWindowsNT();

// Untrapped failure: sets IErrorInfo and gives the HRESULT 0x800A0000 + n.
HRESULT raiseError(const Error& e, REFIID iid, const wchar_t* source) noexcept;

// The error text of the text-trapping mode: prefix, number, separator, description.
std::wstring errorText(std::wstring_view prefix, const Error& e, std::wstring_view separator = L" ...");

// A step trapped on its own: a failure is caught and answered with false.
template <class F>
bool attempt(F&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        noteSwallowed();
        SetErrorInfo(0, nullptr); // a failed inner call may have left its error information
        return false;
    }
}

// Failures skipped: a failing step is passed over.
template <class F>
void skip(F&& step) noexcept {
    attempt(step);
}

template <class Itf>
class DispatchObject : public Itf, public ISupportErrorInfo {
public:
    using Interface = Itf;

    explicit DispatchObject(const wchar_t* progId) : progId_(progId) { ++g_liveObjects; }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;
    virtual ~DispatchObject() { objectGone(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, __uuidof(Itf)))
            *ppv = static_cast<Itf*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *ppv = static_cast<ISupportErrorInfo*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        long n = --refs_;
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        HRESULT hr = E_UNEXPECTED;
        const InterfaceRecord* r = record(&hr);
        if (!r) return hr;
        *info = r->info;
        r->info->AddRef();
        return S_OK;
    }
    // Names come from the interface's own table, built once from the type library.
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = E_UNEXPECTED;
        const InterfaceRecord* r = record(&hr);
        return r ? r->names.lookup(names, count, ids) : hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const InterfaceRecord* r = record();
        if (!r) return TYPE_E_CANTLOADLIBRARY;
        if (traceOn()) [[unlikely]]
            return tracedInvoke(progId_, &r->names, id, params, result, excep,
                                [&](EXCEPINFO* e) { return invokeThrough(*r, id, flags, params, result, e, argErr); });
        return invokeThrough(*r, id, flags, params, result, excep, argErr);
    }

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, __uuidof(Itf)) ? S_OK : S_FALSE;
    }

protected:
    Itf* self() { return this; }
    const wchar_t* progId() const { return progId_; }

    // Each wrapper below that takes the out pointer checks it (E_POINTER when null), presets it
    // (empty String, 0, False, Empty) and converts the value that the body returns into it.

    // Untrapped: a failure ends the method with 0x800A0000 + n and IErrorInfo.
    template <class F>
    HRESULT untrapped(F&& body) noexcept {
        try {
            body();
            return S_OK;
        } catch (const Error& e) {
            return raiseError(e, __uuidof(Itf), progId_);
        } catch (const std::bad_alloc&) {
            return raiseError(Error(errOutOfMemory), __uuidof(Itf), progId_);
        } catch (...) {
            return raiseError(Error::fromHresult(E_UNEXPECTED), __uuidof(Itf), progId_);
        }
    }
    template <class R, class F>
    HRESULT untrapped(R* result, F&& body) noexcept {
        if (!result) return E_POINTER;
        preset(result);
        return untrapped([&] { assign(result, body()); });
    }

    // Untrapped, with in-out parameters (see InOut): the body takes their values and returns the
    // result, if the method has one.
    template <class... P, class F>
    HRESULT untrapped(InOut<P...> params, F&& body) noexcept {
        if (!params.given()) return E_POINTER;
        return untrapped([&] { withInOut(params, body); });
    }
    template <class R, class... P, class F>
    HRESULT untrapped(R* result, InOut<P...> params, F&& body) noexcept {
        if (!result || !params.given()) return E_POINTER;
        preset(result);
        return untrapped([&] { assign(result, withInOut(params, body)); });
    }

    // Trapped with a fixed result: any failure gives `failure`; S_OK either way.
    template <class R, class V, class F>
    HRESULT trapped(R* result, V failure, F&& body) noexcept {
        if (!result) return E_POINTER;
        preset(result);
        try {
            assign(result, body());
        } catch (...) {
            noteSwallowed();
            SetErrorInfo(0, nullptr); // a failed inner call may have left its error information
            try {
                assign(result, std::move(failure));
            } catch (...) {
                return E_OUTOFMEMORY;
            }
        }
        return S_OK;
    }

    template <class R, class V, class... P, class F>
    HRESULT trapped(R* result, V failure, InOut<P...> params, F&& body) noexcept {
        if (!params.given()) return E_POINTER;
        return trapped(result, std::move(failure), [&] { return withInOut(params, body); });
    }

    // Trapped with an error text: a failure gives the text of the failure as the result.
    template <class R, class F>
    HRESULT trappedText(R* result, std::wstring_view prefix, F&& body, std::wstring_view sep = L" ...") noexcept {
        if (!result) return E_POINTER;
        preset(result);
        return trappedTextWith([&] { assign(result, body()); },
                               [&](const std::wstring& t) { assign(result, std::wstring_view(t)); }, prefix, sep);
    }

private:
    // The interface's record: searched for until it has been made, then read from here.
    static const InterfaceRecord* record(HRESULT* hr = nullptr) noexcept {
        static std::atomic<const InterfaceRecord*> known{nullptr};
        const InterfaceRecord* r = known.load(std::memory_order_acquire);
        if (!r && (r = interfaceRecord(__uuidof(Itf), hr))) known.store(r, std::memory_order_release);
        return r;
    }

    HRESULT invokeThrough(const InterfaceRecord& r, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excep, UINT* argErr) {
        // A script variable given for a typed by-reference parameter is converted first.
        ByRefArgs byRef;
        HRESULT hr = byRef.prepare(r.names, id, flags, params, argErr);
        if (FAILED(hr)) return hr;
        // A method's failure comes back as DISP_E_EXCEPTION with EXCEPINFO filled from IErrorInfo.
        hr = r.info->Invoke(static_cast<Itf*>(this), id, flags, byRef.params(params), result, excep, argErr);
        if (hr == S_OK || hr == DISP_E_EXCEPTION) byRef.writeBack(); // the method ran
        return hr;
    }

    template <class F, class S>
    HRESULT trappedTextWith(F&& body, S&& set, std::wstring_view prefix, std::wstring_view sep) noexcept {
        try {
            try {
                body();
            } catch (const Error& e) {
                noteSwallowed();
                SetErrorInfo(0, nullptr);
                set(errorText(prefix, e, sep));
            } catch (const std::bad_alloc&) {
                noteSwallowed();
                set(errorText(prefix, Error(errOutOfMemory), sep));
            } catch (...) {
                noteSwallowed();
                set(errorText(prefix, Error::fromHresult(E_UNEXPECTED), sep));
            }
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    std::atomic<long> refs_{1};
    const wchar_t* progId_;
};

// Makes an object of a catalogue class and hands out the requested interface.
template <class T>
HRESULT createObject(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    startThread();
    T* p = new (std::nothrow) T();
    if (!p) return E_OUTOFMEMORY;
    HRESULT hr = p->QueryInterface(riid, ppv);
    p->Release();
    return hr;
}

// An object of another class of the library, for a class that uses it: made directly, and called
// through its interface like a client's call. It is released when the pointer goes.
template <class T>
ComPtr<typename T::Interface> newObject() {
    ComPtr<typename T::Interface> p;
    check(createObject<T>(__uuidof(typename T::Interface), p.outVoid()));
    return p;
}

} // namespace zor
