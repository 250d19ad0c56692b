#include "tables/engine.h"
#include <atomic>
#include <mutex>
#include <string>
#include "runtime/errors.h"
#include "runtime/module.h"

namespace zor {

namespace {

std::mutex loadLock;
EngineCalls loaded{};
std::atomic<bool> isLoaded{false}; // set once the calls are resolved; never cleared
const EngineCalls* replacement = nullptr;

HMODULE loadEngine() {
    // Beside this library first, then wherever the system finds a DLL.
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(thisModule(), path.data(), MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        path.resize(n);
        path.erase(path.find_last_of(L"\\/") + 1);
        if (HMODULE m = LoadLibraryExW((path + L"ace32.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return m;
    }
    return LoadLibraryW(L"ace32.dll");
}

template <class F>
void resolve(HMODULE m, F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    if (!f) throw Error(errFileNotFound);
}

} // namespace

const EngineCalls& engine() {
    if (replacement) return *replacement;
    if (isLoaded.load(std::memory_order_acquire)) return loaded; // every call after the first
    std::lock_guard<std::mutex> guard(loadLock);
    if (isLoaded.load(std::memory_order_relaxed)) return loaded;
    HMODULE m = loadEngine();
    if (!m) throw Error(errFileNotFound);
    EngineCalls c{};
    resolve(m, c.AdsOpenTable, "AdsOpenTable");
    resolve(m, c.AdsCloseTable, "AdsCloseTable");
    resolve(m, c.AdsOpenIndex, "AdsOpenIndex");
    resolve(m, c.AdsCloseIndex, "AdsCloseIndex");
    resolve(m, c.AdsSeek, "AdsSeek");
    resolve(m, c.AdsSetFilter, "AdsSetFilter");
    resolve(m, c.AdsApplicationExit, "AdsApplicationExit");
    resolve(m, c.AdsLocate, "AdsLocate");
    resolve(m, c.AdsContinue, "AdsContinue");
    loaded = c;
    isLoaded.store(true, std::memory_order_release);
    return loaded;
}

void replaceEngine(const EngineCalls* calls) { replacement = calls; }

} // namespace zor
