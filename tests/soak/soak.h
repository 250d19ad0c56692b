// A soak of the registered DLL: every method of every class, found in the type library, called
// through IDispatch again and again with good and hostile arguments, while the process's
// handles, GDI objects, private bytes and the DLL's live objects are watched.
#pragma once
#include "client.h"
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace test {

struct Resources {
    DWORD handles = 0;
    long gdiObjects = 0;
    SIZE_T privateBytes = 0;
    HRESULT canUnload = S_FALSE; // the DLL's DllCanUnloadNow: S_OK when no object of it lives
};
Resources measure();
std::ostream& operator<<(std::ostream& out, const Resources& r);

// Methods never soaked: they end the session, start another program or wait for a person at a
// modal dialog.
inline const wchar_t* const unsoaked[] = {L"WindowsExit", L"ShellTextFile", L"GetUserDetails", L"DisplayAbout",
                                          L"DisplayZORAbout", L"GetCalDate"};

// Argument pools over files in a folder of its own, and the classes and methods to soak.
class Soak {
public:
    explicit Soak(const std::wstring& folderName);
    ~Soak();
    Soak(const Soak&) = delete;
    Soak& operator=(const Soak&) = delete;

    // Calls every method `rounds` times, each time with other arguments, on objects made by
    // `make` (a class's IDispatch, borrowed; by default created in this thread). Gives the calls made;
    // `failed` counts calls that answered neither S_OK nor a failure with error information.
    long run(int rounds, long& failed, const std::function<IDispatch*(const LibClass&)>& make = {});

    std::vector<LibClass> classes; // the type library's, without the unsoaked methods

private:
    std::wstring dir_;
    std::map<VARTYPE, std::vector<VARIANT>> pools_; // the arguments for a parameter of each type
};

} // namespace test
