// The database engine, ace32.dll: loaded on first use, by full path, from beside this library,
// the host program's folder, the system folders or the PATH (never the current folder), with
// its nine calls resolved by name. Its state is the process's: the DLL is never unloaded, so
// handles live as long as the engine keeps them.
#pragma once
#include "engine/ace32.h"

namespace zor {

struct EngineCalls {
    decltype(&::AdsOpenTable) AdsOpenTable;
    decltype(&::AdsCloseTable) AdsCloseTable;
    decltype(&::AdsOpenIndex) AdsOpenIndex;
    decltype(&::AdsCloseIndex) AdsCloseIndex;
    decltype(&::AdsSeek) AdsSeek;
    decltype(&::AdsSetFilter) AdsSetFilter;
    decltype(&::AdsApplicationExit) AdsApplicationExit;
    decltype(&::AdsLocate) AdsLocate;
    decltype(&::AdsContinue) AdsContinue;
};

// The engine's calls; throws error 53 (file not found) when the engine cannot be loaded or
// lacks one of them. A failed load is tried again on the next call.
const EngineCalls& engine();

// For tests of the in-process copy: calls to make instead of the engine's (nullptr: the engine).
void replaceEngine(const EngineCalls* calls);

} // namespace zor
