// The module this code is linked into (the DLL, or a test program that links the classes in):
// its resources and its path.
#pragma once
#include <windows.h>

namespace zor {

HMODULE thisModule();

} // namespace zor
