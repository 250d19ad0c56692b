#include "tables/AdvDataAccess.h"
#include "tables/engine.h"

namespace zor {

// Every method is one engine call with fixed arguments; the engine keeps all state, and a
// non-zero result code becomes 0 or False without being passed on.

namespace {
std::string ansi(BSTR s) { return toAnsi(strView(s)); }
} // namespace

// Creation and destruction end whatever the engine holds open in the process. Without an engine
// nothing can be open, so its absence does not stop the object from being made.
AdvDataAccess::AdvDataAccess() : DispatchObject(L"ZorUtility.AdvDataAccess") {
    skip([&] { call(self(), &_AdvDataAccess::CloseAllACEConnections); });
}

AdvDataAccess::~AdvDataAccess() {
    skip([&] { call(self(), &_AdvDataAccess::CloseAllACEConnections); });
}

STDMETHODIMP AdvDataAccess::OpenACETable(BSTR strTable, LONG* result) {
    return untrapped(result, [&] {
        ENGINE_HANDLE handle = 0;
        uint32_t code = engine().AdsOpenTable(ENGINE_NO_CONNECTION, ansi(strTable).c_str(), "", ENGINE_TABLE_NTX,
                                              ENGINE_OEM_CHARACTERS, ENGINE_COMPATIBLE_LOCKING,
                                              ENGINE_IGNORE_RIGHTS, ENGINE_DEFAULT_OPTIONS, &handle);
        return code == 0 ? long(handle) : 0L;
    });
}

STDMETHODIMP AdvDataAccess::CloseACETable(LONG* lngTableHandle, VARIANT_BOOL* result) {
    return untrapped(result, inout(lngTableHandle),
                     [&](long table) { return engine().AdsCloseTable(ENGINE_HANDLE(table)) == 0; });
}

STDMETHODIMP AdvDataAccess::OpenACEIndex(LONG lngTableHandle, BSTR strIndex, LONG* result) {
    return untrapped(result, [&] {
        ENGINE_HANDLE handles[1] = {0};
        uint16_t count = 1;
        uint32_t code = engine().AdsOpenIndex(ENGINE_HANDLE(lngTableHandle), ansi(strIndex).c_str(), handles, &count);
        return code == 0 ? long(handles[0]) : 0L;
    });
}

STDMETHODIMP AdvDataAccess::CloseACEIndex(LONG* lngIndexHandle, VARIANT_BOOL* result) {
    return untrapped(result, inout(lngIndexHandle),
                     [&](long index) { return engine().AdsCloseIndex(ENGINE_HANDLE(index)) == 0; });
}

STDMETHODIMP AdvDataAccess::SeekACERecord(LONG lngIndexHandle, BSTR strSeek, VARIANT_BOOL* result) {
    return untrapped(result, [&] {
        uint16_t found = 0;
        // Key length 8 whatever the key: the engine reads the key up to its end or 8 bytes.
        uint32_t code = engine().AdsSeek(ENGINE_HANDLE(lngIndexHandle), ansi(strSeek).c_str(), 8, ENGINE_STRING_KEY,
                                         ENGINE_EXACT_SEEK, &found);
        return code == 0 && found == 1;
    });
}

STDMETHODIMP AdvDataAccess::ApplyACEFilter(LONG lngTableHandle, BSTR strFilter, VARIANT_BOOL* result) {
    return untrapped(result, [&] { return engine().AdsSetFilter(ENGINE_HANDLE(lngTableHandle), ansi(strFilter).c_str()) == 0; });
}

STDMETHODIMP AdvDataAccess::CloseAllACEConnections(VARIANT_BOOL* result) {
    return untrapped(result, [&] { return engine().AdsApplicationExit() == 0; });
}

STDMETHODIMP AdvDataAccess::LocateACERecord(LONG lngTableHandle, BSTR strFilter, VARIANT_BOOL* blnLocateFilter,
                                            VARIANT_BOOL* result) {
    return trapped(result, false, inout(asBool(blnLocateFilter)), [&](bool& located) {
        uint16_t found = 0;
        uint32_t code;
        if (!located) {
            code = engine().AdsLocate(ENGINE_HANDLE(lngTableHandle), ansi(strFilter).c_str(), ENGINE_FORWARD, &found);
            located = true; // whatever the outcome: later calls continue
        } else {
            code = engine().AdsContinue(ENGINE_HANDLE(lngTableHandle), &found);
        }
        int32_t signedCode = int32_t(code); // the engine's Long, narrowed to an Integer
        if (signedCode < -32768 || signedCode > 32767) throw Error(errOverflow);
        return code == 0 && found == 1;
    });
}

} // namespace zor
