// Every method of every class, thousands of calls in one process: nothing stays behind. A
// warm-up round settles the heaps and the platform's caches first. ZOR_SOAK_ROUNDS sets the
// rounds (bench/soak.sh makes it a long run).
#include "soak.h"
#include "scratch.h"
#include <atomic>
#include <cstdlib>
#include <iostream>

using namespace test;

namespace {

const int rounds = std::getenv("ZOR_SOAK_ROUNDS") ? std::atoi(std::getenv("ZOR_SOAK_ROUNDS")) : 10;

// Wine frees some state of an ended thread lazily, when a later thread ends, so two threads that
// do nothing end first.
void settleEnded() {
    for (int i = 0; i < 2; ++i) runThreads(1, [](int) {});
}

// The same for the library's C++ runtime and the unwinder's lock, which every throw takes (a
// failing call throws inside the library): three threads failing calls at once meet there, mostly
// at the first try; the count grows by that one event and then stays (ten tries in all, for a
// runtime that has no such lock).
void throwTogether() {
    static bool met = false;
    static int tries = 0;
    while (!met && tries++ < 10) {
        const DWORD handles = measure().handles;
        std::atomic<int> ready{0};
        onThreads(3, [&](int) {
            auto vf = create<_VariousFunctions>(L"VariousFunctions");
            for (++ready; ready < 3;) Sleep(0);
            for (int i = 0; i < 1000; ++i) {
                Bstr out;
                EXPECT_EQ(static_cast<HRESULT>(0x800A0005), vf->ExtractDecimal(Bstr(L"1.5").get(), -1, out.out()));
            }
        });
        settleEnded();
        met = measure().handles > handles;
    }
}

// What the process holds once its ended threads' state is gone, the runtime's lock has its event,
// and the platform's cache of screen device contexts is as large as the soak can make it: the
// cache grows to the most held at once and never shrinks, so it is grown here to as many as can
// call at once (three soak threads and this one; one the library kept stays in use).
Resources settled() {
    throwTogether();
    HDC screens[4];
    for (HDC& dc : screens) dc = GetDC(nullptr);
    for (HDC dc : screens)
        if (dc) ReleaseDC(nullptr, dc);
    settleEnded();
    return measure();
}

// After the soak, no call failed and the process holds exactly what it held after the warm-up,
// also when the calls ran on threads that have ended since. The platform's own helper threads
// may still be on their way out: the count is taken again for a few seconds until it is back.
void expectNothingLeft(const Resources& before, Resources after, long calls, long failed) {
    EXPECT_EQ(0, failed);
    for (int i = 0; i < 50 && (after.handles != before.handles || after.gdiObjects != before.gdiObjects); ++i) {
        Sleep(100);
        after = measure();
    }
    std::cout << "calls " << calls << "\nbefore: " << before << "\nafter:  " << after << "\n";
    EXPECT_EQ(before.handles, after.handles);
    EXPECT_EQ(before.gdiObjects, after.gdiObjects);
    EXPECT_LT(after.privateBytes, before.privateBytes + 1024 * 1024);
    EXPECT_EQ(S_OK, after.canUnload) << "an object of the library is still alive";
}

} // namespace

TEST(Soak, EveryMethodOfEveryClassLeavesNothingBehind) {
    long failed = 0, calls = 0;
    Resources before;
    {
        Soak soak(L"soak-one");
        // Every method of the type library but those never soaked, each name of which is one.
        size_t methods = 0, all = 0;
        for (const auto& c : soak.classes) methods += c.members.size();
        for (const auto& c : typeLibraryClasses()) all += c.members.size();
        EXPECT_EQ(all - std::size(unsoaked), methods);
        soak.run(3, failed);
        before = settled();
        calls = soak.run(rounds, failed);
    }
    expectNothingLeft(before, settled(), calls, failed);
}

TEST(Soak, SeveralApartmentThreadsAtOnce) {
    std::atomic<long> failed{0}, calls{0};
    auto body = [&](int t, int n) {
        Soak soak(L"soak-thread" + std::to_wstring(t));
        long f = 0;
        calls += soak.run(n, f);
        failed += f;
    };
    // This apartment lets the library go, so that the threads' apartments load it and free it
    // again as a host's passing threads do.
    CoFreeUnusedLibrariesEx(0, 0);
    // As long a warm-up as the soak: the heap's high-water mark depends on which calls meet on the
    // three threads, and a short warm-up leaves it up to a megabyte below the soak's.
    onThreads(3, [&](int t) { body(t, rounds / 2); });
    const Resources before = settled();
    calls = 0;
    onThreads(3, [&](int t) { body(t, rounds / 2); });
    expectNothingLeft(before, settled(), calls, failed);
}

TEST(Soak, MarshalledInterfacesFromAnotherThreadOfTheApartmentsProcess) {
    // Objects live in this thread's apartment; another apartment calls them through proxies of
    // the type-library marshaller, so every argument and result crosses as a marshalled copy.
    long failed = 0, calls = 0;
    auto soakThroughProxies = [&](int n) {
        Soak soak(L"soak-marshalled");
        std::vector<IStream*> streams(soak.classes.size());
        std::vector<ComPtr<IDispatch>> objects(soak.classes.size());
        for (size_t i = 0; i < objects.size(); ++i) {
            EXPECT_EQ(S_OK,
                      CoCreateInstance(soak.classes[i].clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, objects[i].outVoid()));
            EXPECT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IDispatch, objects[i].get(), &streams[i]));
        }
        onThreads(1, [&](int) {
            std::vector<ComPtr<IDispatch>> proxies(streams.size());
            for (size_t i = 0; i < streams.size(); ++i)
                EXPECT_EQ(S_OK, CoGetInterfaceAndReleaseStream(streams[i], IID_IDispatch, proxies[i].outVoid()));
            calls += soak.run(n, failed, [&](const LibClass& c) { return proxies[&c - soak.classes.data()].get(); });
        });
    };
    soakThroughProxies(1);
    const Resources before = settled();
    calls = 0;
    soakThroughProxies(rounds / 2);
    expectNothingLeft(before, settled(), calls, failed);
}

TEST(Soak, ValuesForReferenceParametersAreFreedWhenALaterOneIsRefused) {
    // The standard dispatch copied the 200 KB text for the by-reference source and lost the copy
    // when the destination (Null) could not be converted: 40 MB in 200 calls.
    auto w = create<IDispatch>(L"Win32Functions");
    const std::wstring big(100000, L'x');
    const Resources before = settled();
    for (int i = 0; i < 200; ++i) {
        Call call;
        invoke(call, w.get(), L"CopyFiles", Args{vstr(big), vtype(VT_NULL), vi2(0), vstr(L"*.*")});
        ASSERT_EQ(DISP_E_TYPEMISMATCH, call.hr);
        ASSERT_EQ(2u, call.argErr) << "the refused argument, counted from the last";
    }
    EXPECT_LT(measure().privateBytes, before.privateBytes + 1024 * 1024);
}
