// Host threads come and go all day: objects of every built class made and released on 20,000
// short-lived threads leave the registered DLL's memory and handle count where they were.
#define PSAPI_VERSION 2
#include "client.h"
#include <psapi.h>

using namespace test;

namespace {

const CLSID* const builtClasses[] = {&__uuidof(TextFileFunctions), &__uuidof(VariousFunctions), &__uuidof(DateFunctions),
                                     &__uuidof(EncryptFunctions), &__uuidof(ASPFunctions)};

struct Factories {
    ComPtr<IClassFactory> f[std::size(builtClasses)];
};

// One host thread: makes an object of each class, calls it once through IDispatch, lets it go.
DWORD WINAPI hostThread(void* param) {
    auto* factories = static_cast<Factories*>(param);
    for (auto& factory : factories->f) {
        ComPtr<IDispatch> object;
        if (FAILED(factory->CreateInstance(nullptr, IID_IDispatch, object.outVoid()))) return 1;
        UINT count = 0;
        object->GetTypeInfoCount(&count);
    }
    return 0;
}

// n threads, a few at a time.
void runThreads(Factories& factories, int n) {
    const int together = 8;
    for (int i = 0; i < n; i += together) {
        HANDLE t[together];
        for (HANDLE& h : t) {
            h = CreateThread(nullptr, 64 * 1024, hostThread, &factories, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
            ASSERT_NE(nullptr, h);
        }
        WaitForMultipleObjects(together, t, TRUE, INFINITE);
        for (HANDLE h : t) {
            DWORD code = 9;
            GetExitCodeThread(h, &code);
            CloseHandle(h);
            ASSERT_EQ(0u, code);
        }
    }
}

SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX m{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    return m.PrivateUsage;
}

} // namespace

TEST(ThreadChurn, ShortLivedThreadsLeaveNoMemoryOrHandleBehind) {
    Factories factories;
    for (size_t i = 0; i < std::size(builtClasses); ++i)
        ASSERT_EQ(S_OK, CoGetClassObject(*builtClasses[i], CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                         factories.f[i].outVoid()));
    runThreads(factories, 500); // the first threads settle the heaps and caches
    const SIZE_T bytes = privateBytes();
    DWORD handles = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    runThreads(factories, 20000);
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LT(privateBytes(), bytes + 512 * 1024) << "before: " << bytes;
    EXPECT_LE(handlesAfter, handles + 10);
}
