// Host threads come and go all day: objects of every built class made and released on 20,000
// short-lived threads leave the registered DLL's memory and handle count where they were.
#define PSAPI_VERSION 2
#include "client.h"
#include "scratch.h"
#include <psapi.h>

using namespace test;

namespace {

ComPtr<IClassFactory> factories[5];

// One host thread: makes an object of each class, calls it once through IDispatch, lets it go.
DWORD WINAPI hostThread(void*) {
    for (auto& factory : factories) {
        ComPtr<IDispatch> object;
        UINT count = 0;
        if (FAILED(factory->CreateInstance(nullptr, IID_IDispatch, object.outVoid())) ||
            FAILED(object->GetTypeInfoCount(&count)))
            return 1;
    }
    return 0;
}

// n threads, eight at a time; the number of those that failed.
int runThreads(int n) {
    int failed = 0;
    for (int i = 0; i < n; i += 8) {
        HANDLE t[8];
        for (HANDLE& h : t) h = CreateThread(nullptr, 64 * 1024, hostThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        WaitForMultipleObjects(8, t, TRUE, INFINITE);
        for (HANDLE h : t) {
            DWORD code = 9;
            failed += !GetExitCodeThread(h, &code) || code != 0;
            CloseHandle(h);
        }
    }
    return failed;
}

// The commit charge: PagefileUsage is Windows' private bytes too, and Wine reports only it.
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS m{};
    GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
    return m.PagefileUsage;
}

} // namespace

TEST(ThreadChurn, ShortLivedThreadsLeaveNoMemoryOrHandleBehind) {
    const CLSID* built[] = {&__uuidof(TextFileFunctions), &__uuidof(VariousFunctions), &__uuidof(DateFunctions),
                            &__uuidof(EncryptFunctions), &__uuidof(ASPFunctions)};
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(S_OK, CoGetClassObject(*built[i], CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factories[i].outVoid()));
    EXPECT_EQ(0, runThreads(496)); // the first threads settle the heaps and caches
    const SIZE_T bytes = privateBytes();
    const DWORD handles = liveHandles();
    EXPECT_EQ(0, runThreads(20000));
    EXPECT_LT(privateBytes(), bytes + 512 * 1024) << "before: " << bytes;
    EXPECT_LE(liveHandles(), handles + 10);
    for (auto& f : factories) f.out();
}
