#include "tables/engine.h"
#include <atomic>
#include <mutex>
#include <algorithm>
#include <vector>
#include <string>
#include "runtime/errors.h"
#include "runtime/module.h"
#include "runtime/guards.h"

namespace zor {

namespace {

Lock loadLock;
EngineCalls loaded{};
std::atomic<bool> isLoaded{false}; // set once the calls are resolved; never cleared
const EngineCalls* replacement = nullptr;

// The folder part of a module's file name, ending in "\"; empty when it cannot be had.
std::wstring moduleFolder(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(module, path.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    path.resize(n);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring folderOf(UINT (WINAPI* get)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH];
    UINT n = get(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) + L"\\" : std::wstring();
}

bool isFullPath(const std::wstring& p) {
    return (p.size() >= 3 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/')) || (p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\');
}

// Where the engine is looked for, in order: beside this library, in the host program's folder
// (programs ship the engine beside themselves), the system folders, then the folders of the
// PATH. Never the current folder, nor a PATH entry relative to it: a file planted there by
// whoever controls the current folder would run inside the host.
std::vector<std::wstring> engineFolders() {
    std::vector<std::wstring> folders{moduleFolder(thisModule()), moduleFolder(nullptr), folderOf(&GetSystemDirectoryW),
                                      folderOf(&GetWindowsDirectoryW)};
    std::wstring path(32767, L'\0');
    const DWORD n = GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    for (size_t start = 0; start <= path.size();) {
        size_t end = std::min(path.find(L';', start), path.size());
        std::wstring entry = path.substr(start, end - start);
        std::erase(entry, L'"');
        if (isFullPath(entry)) folders.push_back(entry.back() == L'\\' || entry.back() == L'/' ? entry : entry + L"\\");
        start = end + 1;
    }
    return folders;
}

HMODULE loadEngine() {
    for (const std::wstring& folder : engineFolders()) {
        if (folder.empty()) continue;
        const std::wstring file = folder + L"ace32.dll";
        DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        // The engine's own imports are looked for beside it and in the system folders only;
        // a platform without those flags refuses them, and then searches as it always did.
        HMODULE m = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        if (!m && GetLastError() == ERROR_INVALID_PARAMETER) m = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (m) return m; // one that does not load (another build, say) leaves the next folder's turn
    }
    return nullptr;
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
    std::lock_guard<Lock> guard(loadLock);
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
