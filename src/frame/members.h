// Members of a caller's object (a form, a frame, a script object) looked up by name and used
// through IDispatch. Objects written in C++ and JScript objects answer GetIDsOfNames (JScript
// matches case-sensitively); a VBScript class object under Wine does not, so the look-up falls
// back to IDispatchEx::GetDispID without regard to case, and the call then goes through
// InvokeEx.
#pragma once
#include <string_view>
#include <vector>
#include "frame/values.h"

namespace zor {

// Reads a property; error 424 for no object, 438 when the object has no such member, and a
// failure of the member itself as its own error.
void getMember(IDispatch* object, std::wstring_view name, Variant& value);

// Sets a property to a value.
void putMember(IDispatch* object, std::wstring_view name, const VARIANT& value);

// Calls a method with the arguments in their natural order; result may be null.
void callMember(IDispatch* object, std::wstring_view name, const std::vector<VARIANT>& args, Variant* result = nullptr);

// A window handle held in a caller's object, such as a form's "hwnd".
HWND windowMember(IDispatch* object, std::wstring_view name = L"hwnd");

} // namespace zor
