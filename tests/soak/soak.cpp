#define PSAPI_VERSION 2
#include "soak.h"
#include "scratch.h"
#include "runtime/text.h"
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

namespace test {

static VARIANT varray() {
    VARIANT v = vtype(VT_ARRAY | VT_VARIANT);
    V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, 3);
    return v;
}

Resources measure() {
    Resources r;
    r.handles = liveHandles();
    r.gdiObjects = liveGdiObjects();
    PROCESS_MEMORY_COUNTERS_EX m{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    r.privateBytes = m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage; // Wine fills only the latter
    HMODULE dll = GetModuleHandleW(L"ZorUtility.dll");
    auto canUnload = dll ? reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(dll, "DllCanUnloadNow")) : nullptr;
    r.canUnload = !dll ? S_OK : canUnload ? canUnload() : S_FALSE; // not loaded: nothing of it lives
    return r;
}

std::ostream& operator<<(std::ostream& out, const Resources& r) {
    return out << r.handles << " handles, " << r.gdiObjects << " GDI objects, " << r.privateBytes / 1024
               << " KB private, DllCanUnloadNow " << (r.canUnload == S_OK ? "S_OK" : "S_FALSE");
}

Soak::Soak(const std::wstring& folderName) : dir_(scratchDir(folderName)) {
    pools_[VT_BSTR] = {vstr(dir_ + L"file.txt"), vstr(dir_ + L"missing\\x.txt"), vstr(dir_ + L"tree"), vstr(L""),
                       vstr(std::wstring(100000, L'x')), vstr(L"CON"), vstr(dir_ + std::wstring(L"file.txt\0tail", 13)),
                       vstr(dir_ + L"a<b>|?*.txt"), vtype(VT_NULL), varray(), vstr(dir_ + L"new.txt"), vstr(L"*.txt")};
    pools_[VT_I2] = {vi2(0), vi2(1), vi2(-1), vi2(32767), vstr(L"x"), vi2(7)};
    pools_[VT_I4] = {vi4(0), vi4(1), vi4(-1), vi4(0x7FFFFFFF), vi4(1000), vstr(L"x")};
    pools_[VT_R8] = {vr8(0), vr8(0.001), vr8(-1), vstr(L"abc")};
    pools_[VT_DATE] = {vdate(36526.5), vdate(-700000), vdate(2958465.9), vstr(L"x"), vdate(1e12)};
    pools_[VT_BOOL] = {vbool(true), vbool(false), vstr(L"maybe")};
    pools_[VT_VARIANT] = {vmissing(), vtype(VT_NULL), vtype(VT_EMPTY), vstr(L"Header text"), vi4(5), vr8(1e300),
                          varray(), vstr(dir_ + L"tree")}; // also for every type without a pool of its own
    pools_[VT_DISPATCH] = {vtype(VT_DISPATCH), vi4(5)};

    for (LibClass c : typeLibraryClasses()) {
        for (size_t i = c.members.size(); i-- > 0;) {
            if (std::find(std::begin(unsoaked), std::end(unsoaked), c.members[i].first) == std::end(unsoaked)) continue;
            c.members.erase(c.members.begin() + i);
            c.params.erase(c.params.begin() + i);
        }
        classes.push_back(std::move(c));
    }
}

Soak::~Soak() {
    for (auto& [type, pool] : pools_)
        for (VARIANT& v : pool) VariantClear(&v);
    emptyFolder(dir_);
}

long Soak::run(int rounds, long& failed, const std::function<IDispatch*(const LibClass&)>& make) {
    long calls = 0;
    const bool trace = std::getenv("ZOR_SOAK_TRACE") != nullptr; // each call before it is made
    const char* only = std::getenv("ZOR_SOAK_ONLY"); // one class or Class.Method, while looking into it
    for (int round = 0; round < rounds; ++round) {
        emptyFolder(dir_); // the fixtures afresh each round: a file with content, a folder tree
        writeFile(dir_ + L"file.txt", "line one\r\n\"quoted, field\",2\r\n[Section]\r\nKey=Value\r\n");
        CreateDirectoryW((dir_ + L"tree").c_str(), nullptr);
        writeFile(dir_ + L"tree\\a.txt", "a\r\n");
        for (const LibClass& c : classes) {
            if (only && std::string(only).rfind(zor::toAnsi(c.name), 0) != 0) continue;
            ComPtr<IDispatch> own;
            if (!make) CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, own.outVoid());
            IDispatch* object = make ? make(c) : own.get();
            if (!object) {
                ++failed;
                ADD_FAILURE() << "no object of " << zor::toAnsi(c.name);
                continue;
            }
            for (size_t i = 0; i < c.members.size(); ++i) {
                const std::wstring method = c.name + L"." + c.members[i].first;
                if (only && std::strchr(only, '.') && zor::toAnsi(method) != only) continue;
                // Each parameter walks its pool at its own pace, so the combinations vary.
                Args args{};
                for (size_t p = 0; p < c.params[i].size(); ++p) {
                    const auto& pool = pools_.count(c.params[i][p]) ? pools_[c.params[i][p]] : pools_[VT_VARIANT];
                    args.v.push_back(vtype(VT_EMPTY));
                    VariantCopy(&args.v[p], const_cast<VARIANT*>(&pool[(round * (p + 1) + round / 7 + p) % pool.size()]));
                }
                if (trace) fprintf(stderr, "%d %s\n", round, zor::toAnsi(method).c_str()); // the round gives the arguments
                std::vector<VARIANT> reversed(args.v.rbegin(), args.v.rend());
                DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
                Call call;
                call.hr = object->Invoke(c.members[i].second, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                         &call.result, &call.excep, &call.argErr);
                ++calls;
                // A method answers, fails with its error number, or its arguments are refused by
                // the dispatch layer; anything else (a crash caught by the host, a bare failure
                // code) is a fault.
                const bool errorNumber = call.hr == DISP_E_EXCEPTION && HRESULT_FACILITY(call.excep.scode) == FACILITY_CONTROL;
                const bool refused = call.hr == DISP_E_TYPEMISMATCH || call.hr == DISP_E_OVERFLOW ||
                                     call.hr == DISP_E_BADVARTYPE || call.hr == DISP_E_PARAMNOTOPTIONAL;
                if (call.hr != S_OK && !errorNumber && !refused && ++failed <= 10)
                    ADD_FAILURE() << zor::toAnsi(method) << " round " << round << ": 0x" << std::hex << call.hr
                                  << " scode 0x" << call.excep.scode;
            }
        }
    }
    return calls;
}

} // namespace test
