// Where the engine comes from: an ace32.dll in the current folder (one that only records its
// loading) is never loaded; with the same file beside the library and beside the host program,
// the library's is. The library is a copy under another name, loaded directly, so that nothing
// but the planted file is beside it.
#include "client.h"
#include "scratch.h"

using namespace test;

namespace {

std::wstring env(const wchar_t* name) {
    wchar_t value[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n < MAX_PATH ? value : L"";
}

} // namespace

TEST(EngineLoad, NeverFromTheCurrentFolderAndBesideTheLibraryBeforeTheProgram) {
    const std::wstring lib = scratchDir(L"engine-lib"), current = scratchDir(L"engine-current"), planted = env(L"ZOR_PLANTED");
    ASSERT_TRUE(CopyFileW(env(L"ZOR_DLL").c_str(), (lib + L"zorcopy.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(planted.c_str(), (current + L"ace32.dll").c_str(), FALSE));
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"ace32.dll";
    DeleteFileW(program.c_str()); // left by an earlier run that failed
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    HMODULE copy = LoadLibraryW((lib + L"zorcopy.dll").c_str());
    ASSERT_NE(nullptr, copy);
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(GetProcAddress(copy, "DllGetClassObject"));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClass(__uuidof(AdvDataAccess), IID_IClassFactory, factory.outVoid()));
    ComPtr<_AdvDataAccess> tables;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(_AdvDataAccess), tables.outVoid()));

    const HRESULT fileNotFound = static_cast<HRESULT>(0x800A0035);
    LONG handle = 7;
    EXPECT_EQ(fileNotFound, tables->OpenACETable(Bstr(L"customer.dbf").get(), &handle)); // no engine anywhere
    EXPECT_EQ(L"", env(L"ZOR_PLANTED_LOADED")) << "loaded from the current folder";

    ASSERT_TRUE(CopyFileW(planted.c_str(), (lib + L"ace32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(planted.c_str(), program.c_str(), FALSE));
    EXPECT_EQ(fileNotFound, tables->OpenACETable(Bstr(L"customer.dbf").get(), &handle)); // none of the engine's calls
    DeleteFileW(program.c_str());
    EXPECT_EQ(0, _wcsicmp((lib + L"ace32.dll").c_str(), env(L"ZOR_PLANTED_LOADED").c_str())) << env(L"ZOR_PLANTED_LOADED");
}
