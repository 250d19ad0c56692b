#include "runtime/module.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace zor {

HMODULE thisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

} // namespace zor
