// Benchmarks of the scrambling and waiting methods, each against a named anchor in the same
// run: CryptFile of a 64 MB file (to another file and in place) against CopyFileA of the same
// file, the memory that CryptFile adds, EncryptString of 16,000 characters, and the processor
// time of a 2-second Sleep. Reaches the library as a client does, through the registered DLL.
#include <initguid.h>
#include <windows.h>
#include <psapi.h>
#include <oleauto.h>
#include <atomic>
#include <cstdio>
#include <thread>
#include <string>
#include <vector>
#include "ZorUtility.h"
#include "timing.h"

namespace {

// User and kernel time of the calling thread, the one that waits.
double processorSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

// The largest growth of the working set and of the private memory over a baseline, sampled
// every millisecond by a second thread while a step runs.
class MemoryWatch {
public:
    MemoryWatch() : thread_([this] {
        base_ = sample(); // in this thread, once its own stack is in place
        ready_ = true;
        while (!stop_) {
            Sample s = sample();
            if (s.workingSet > maxWorkingSet_) maxWorkingSet_ = s.workingSet;
            if (s.privateBytes > maxPrivate_) maxPrivate_ = s.privateBytes;
            ::Sleep(1);
        }
    }) {
        while (!ready_) ::Sleep(0);
    }
    ~MemoryWatch() { finish(); }
    void finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    long workingSetGrowthKB() const { return growth(maxWorkingSet_, base_.workingSet); }
    long privateGrowthKB() const { return growth(maxPrivate_, base_.privateBytes); }

private:
    struct Sample {
        size_t workingSet, privateBytes;
    };
    static Sample sample() {
        PROCESS_MEMORY_COUNTERS_EX c{};
        c.cb = sizeof c;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c);
        return {c.WorkingSetSize, c.PrivateUsage};
    }
    static long growth(size_t max, size_t base) { return max > base ? static_cast<long>((max - base) / 1024) : 0; }
    Sample base_{};
    std::atomic<bool> ready_{false}, stop_{false};
    std::atomic<size_t> maxWorkingSet_{0}, maxPrivate_{0};
    std::thread thread_;
};

template <class Itf>
Itf* create(REFCLSID clsid, REFIID iid) {
    Itf* p = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&p)))) {
        std::fprintf(stderr, "cannot create the class: is the DLL registered?\n");
        ExitProcess(1);
    }
    return p;
}

void writeTestFile(const std::wstring& path, size_t bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<unsigned char> chunk(1 << 20);
    unsigned seed = 12345;
    for (size_t done = 0; done < bytes; done += chunk.size()) {
        for (auto& b : chunk) b = static_cast<unsigned char>((seed = seed * 1664525u + 1013904223u) >> 24);
        DWORD n = 0;
        WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr);
    }
    CloseHandle(h);
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    _EncryptFunctions* ef = create<_EncryptFunctions>(CLSID_EncryptFunctions, IID__EncryptFunctions);
    _VariousFunctions* vf = create<_VariousFunctions>(CLSID_VariousFunctions, IID__VariousFunctions);

    // ---- CryptFile of 64 MB against CopyFileA ----
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring in = std::wstring(temp) + L"zor-bench-in.bin", out = std::wstring(temp) + L"zor-bench-out.bin",
                       copy = std::wstring(temp) + L"zor-bench-copy.bin";
    const size_t size = 64u << 20;
    writeTestFile(in, size);
    std::string inA(in.begin(), in.end()), copyA(copy.begin(), copy.end());
    CopyFileA(inA.c_str(), copyA.c_str(), FALSE); // both start with the input in the cache

    BSTR bIn = SysAllocString(in.c_str()), bOut = SysAllocString(out.c_str()), bPw = SysAllocString(L"bench password");
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    double bestCrypt = 1e9, bestCopy = 1e9;
    bool ok = true;
    long workingSetGrowth = 0, privateGrowth = 0;
    for (int round = 0; round < 3; ++round) {
        VARIANT_BOOL r = VARIANT_FALSE;
        MemoryWatch watch;
        double t0 = now();
        ef->CryptFile(bIn, bOut, bPw, missing, &r);
        double t1 = now();
        watch.finish();
        workingSetGrowth = std::max(workingSetGrowth, watch.workingSetGrowthKB());
        privateGrowth = std::max(privateGrowth, watch.privateGrowthKB());
        ok = ok && r == VARIANT_TRUE;
        BOOL copied = CopyFileA(inA.c_str(), copyA.c_str(), FALSE);
        double t2 = now();
        ok = ok && copied;
        bestCrypt = std::min(bestCrypt, t1 - t0);
        bestCopy = std::min(bestCopy, t2 - t1);
    }
    std::printf("CryptFile 64 MB: %.3f s (%.0f MB/s)%s\n", bestCrypt, 64 / bestCrypt, ok ? "" : "  FAILED");
    std::printf("CopyFileA 64 MB (anchor): %.3f s (%.0f MB/s)\n", bestCopy, 64 / bestCopy);
    std::printf("ratio CryptFile/CopyFileA: %.2f (target: at most 3.00)\n", bestCrypt / bestCopy);
    // In place: written beside the input, flushed, then renamed over it.
    double bestInPlace = 1e9;
    for (int round = 0; round < 3; ++round) {
        VARIANT_BOOL r = VARIANT_FALSE;
        double t0 = now();
        ef->CryptFile(bIn, bIn, bPw, missing, &r);
        bestInPlace = std::min(bestInPlace, now() - t0);
        ok = ok && r == VARIANT_TRUE;
    }
    std::printf("CryptFile 64 MB in place: %.3f s%s; ratio in place/CopyFileA: %.2f (target: at most 3.00)\n", bestInPlace,
                ok ? "" : "  FAILED", bestInPlace / bestCopy);
    std::printf("memory growth during CryptFile (sampled every ms): working set %ld KB, private %ld KB "
                "(one 4 KB block expected)\n", workingSetGrowth, privateGrowth);
    DeleteFileW(in.c_str());
    DeleteFileW(out.c_str());
    DeleteFileW(copy.c_str());

    // ---- EncryptString of 16,000 characters ----
    std::wstring text;
    for (int i = 0; i < 16000; ++i) text += static_cast<wchar_t>(32 + (i * 31) % 95);
    BSTR bText = SysAllocString(text.c_str());
    const int calls = 1000;
    double t0 = now();
    for (int i = 0; i < calls; ++i) {
        BSTR r = nullptr;
        ef->EncryptString(bText, bPw, &r);
        SysFreeString(r);
    }
    double encrypt = now() - t0;
    // Anchor: making a result string of the same length (32,000 characters) as many times.
    std::wstring hex(32000, L'A');
    t0 = now();
    for (int i = 0; i < calls; ++i) SysFreeString(SysAllocStringLen(hex.data(), static_cast<UINT>(hex.size())));
    double anchor = now() - t0;
    std::printf("EncryptString 16,000 characters x%d: %.3f s, %.0f calls/s (%.1f M characters/s)\n", calls, encrypt,
                calls / encrypt, calls * 16000.0 / encrypt / 1e6);
    std::printf("SysAllocStringLen 32,000 characters x%d (anchor): %.3f s; ratio %.1f\n", calls, anchor, encrypt / anchor);

    // ---- Sleep(2): processor time ----
    double seconds = 2.0;
    VARIANT_BOOL r = VARIANT_TRUE;
    double cpu0 = processorSeconds();
    t0 = now();
    vf->Sleep(&seconds, &r);
    double wall = now() - t0, cpu = processorSeconds() - cpu0;
    // The same with a WM_QUIT pending, which the wait leaves for the caller's loop.
    PostQuitMessage(0);
    cpu0 = processorSeconds();
    t0 = now();
    vf->Sleep(&seconds, &r);
    double wallQuit = now() - t0, cpuQuit = processorSeconds() - cpu0;
    MSG quit;
    bool quitKept = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

    // Anchor: the same processor time for a thread that spins on the clock for 2 seconds.
    double spin0 = processorSeconds();
    for (double end = now() + 2.0; now() < end;) {
    }
    double spin = processorSeconds() - spin0;
    std::printf("Sleep(2): wall %.3f s, processor %.4f s (%.2f%% of the wait)\n", wall, cpu, 100 * cpu / wall);
    std::printf("Sleep(2) with a WM_QUIT pending: wall %.3f s, processor %.4f s; quit %s\n", wallQuit, cpuQuit,
                quitKept ? "kept for the caller" : "LOST");
    std::printf("busy wait of 2 s (anchor): processor %.4f s; ratio Sleep/busy %.4f\n", spin, cpu / spin);

    SysFreeString(bText);
    SysFreeString(bIn);
    SysFreeString(bOut);
    SysFreeString(bPw);
    vf->Release();
    ef->Release();
    CoUninitialize();
    return ok ? 0 : 1;
}
