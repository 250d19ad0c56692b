// Late-bound calls from a C++ client, 200,000 of each, against the scripting runtime's
// FileSystemObject in the same process: GetIDsOfNames of one name, Invoke, and the whole call
// (look-up and Invoke, as Wine's script engines make it). With "--call" it prints only the whole
// call's cost of ExtractExtension, for the trace-off and trace-on comparison of bench/dispatch.sh.
#include <windows.h>
#include <oleauto.h>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include "timing.h"

namespace {

const int N = 200000;

struct Target {
    IDispatch* d = nullptr;
    const wchar_t* method;
    DISPID id = DISPID_UNKNOWN;
};

IDispatch* create(const wchar_t* progId) {
    CLSID clsid;
    IDispatch* d = nullptr;
    if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d)))) {
        fwprintf(stderr, L"cannot create %ls\n", progId);
        exit(1);
    }
    return d;
}

// Seconds per call, best of three rounds.
template <class F>
double perCall(F&& f) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        double t0 = now();
        for (int i = 0; i < N; ++i) f();
        best = std::min(best, (now() - t0) / N);
    }
    return best;
}

double lookUp(Target& t) {
    LPOLESTR name = const_cast<LPOLESTR>(t.method);
    return perCall([&] {
        if (t.d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &t.id) != S_OK) exit(2);
    });
}

double invoke(Target& t, bool withLookUp) {
    BSTR path = SysAllocString(L"C:\\logs\\app.log");
    VARIANT arg;
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = path;
    DISPPARAMS p{&arg, nullptr, 1, 0};
    LPOLESTR name = const_cast<LPOLESTR>(t.method);
    double s = perCall([&] {
        if (withLookUp) t.d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &t.id);
        VARIANT r;
        VariantInit(&r);
        if (t.d->Invoke(t.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &p, &r, nullptr, nullptr) != S_OK) exit(3);
        VariantClear(&r);
    });
    SysFreeString(path);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Target ours{create(L"ZorUtility.TextFileFunctions"), L"ExtractExtension"};
    Target fso{create(L"Scripting.FileSystemObject"), L"GetExtensionName"};
    if (argc > 1 && strcmp(argv[1], "--call") == 0) {
        lookUp(ours);
        printf("%.3f\n", invoke(ours, true) * 1e6);
        return 0;
    }
    const double lookOurs = lookUp(ours), lookFso = lookUp(fso);
    const double invOurs = invoke(ours, false), invFso = invoke(fso, false);
    const double callOurs = invoke(ours, true), callFso = invoke(fso, true);
    printf("GetIDsOfNames, one name: ZorUtility %.3f us, FileSystemObject %.3f us (anchor); ratio %.3f "
           "(target: at most 0.300 us)\n", lookOurs * 1e6, lookFso * 1e6, lookOurs / lookFso);
    printf("Invoke ExtractExtension %.3f us, GetExtensionName %.3f us (anchor); ratio %.2f\n", invOurs * 1e6,
           invFso * 1e6, invOurs / invFso);
    printf("whole call (look-up + Invoke): %.3f us, anchor %.3f us; ratio %.2f\n", callOurs * 1e6, callFso * 1e6,
           callOurs / callFso);
    ours.d->Release();
    fso.d->Release();
    CoUninitialize();
    return 0;
}
