// Folder services of the tree copy: making a folder with the library's error numbers, and
// whether one folder lies inside another.
#pragma once
#include <windows.h>
#include <string>

namespace zor {

// Makes one folder. Errors: 75 when something of that name exists, 76 when its parent is missing.
void makeDirectory(const std::wstring& path);

// Whether the folder inner is outer or lies below it: full paths ending in "\", compared without
// regard to case.
bool isWithin(const std::wstring& inner, const std::wstring& outer);

} // namespace zor
