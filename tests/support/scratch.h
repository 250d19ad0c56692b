// Scratch folders and files for the C++ tests: fresh folders under the temp folder, files
// written and read byte for byte, file times, a file held open by another process, a window
// that counts its messages, and threads that come and go.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace test {

// The catalogue number of the zor::Error that f throws, 0 when it throws none.
long errorOf(const std::function<void()>& f);

// A fresh, empty folder under the temp folder, ending in "\".
std::wstring scratchDir(const std::wstring& name);
void emptyFolder(const std::wstring& dir); // everything in it, read-only or hidden too; dir ends in "\"

std::wstring testData(const std::wstring& name); // a file of the test data folder (ZOR_TESTDATA)
void writeFile(const std::wstring& path, const std::string& bytes);
std::string readFile(const std::wstring& path);   // "<missing>" when it cannot be opened
bool exists(const std::wstring& path);             // anything at all, hidden or not
bool canOpenExclusively(const std::wstring& path); // nobody holds it open

// A fresh folder of this name with the tree that existence and listing are tested on: a.txt,
// b.log, read-only r.txt, hidden h.txt, system s.txt, .dotfile, sub\inner.txt, empty\, and the
// hidden folder .hdir\ (the script tests build the same).
std::wstring existenceTree(const std::wstring& name);

// The rows of a case file of the test data (cases/NAME.tsv), which the script tests read too:
// tab-separated fields, "<N>" standing for the character of code N, "#" lines comments.
using CaseRow = std::vector<std::wstring>;
std::vector<CaseRow> caseRows(const std::wstring& name);

// Sets a file's last-write time to a local date and time.
void setLocalWriteTime(const std::wstring& path, SYSTEMTIME local);
SYSTEMTIME localDaysAgo(int days); // noon of the day so many days before today
std::wstring yyyymmdd(const SYSTEMTIME& t);

// Runs a script of the test data folder with cscript in one new process per argument list, all
// at once, and gives their exit codes when all have ended.
std::vector<DWORD> runScripts(const wchar_t* script, const std::vector<std::wstring>& arguments);

// Runs body(t), t = 0 .. n-1, on n new threads while this thread lets its own apartment's calls
// in; returns when all have ended. Platform threads: the C++ runtime's make an event for an
// internal lock when two of them first meet at it and keep it for good, a handle seemingly left
// behind. onThreads: each thread in an apartment of its own.
void runThreads(int n, const std::function<void(int)>& body);
void onThreads(int n, const std::function<void(int)>& body);

// Live GDI objects and kernel handles of this process. Wine answers GetGuiResources and
// GetProcessHandleCount with 0, but finds a handle by its index or value alone.
long liveGdiObjects();
DWORD liveHandles();

// A message-only window of the calling thread that counts the WM_USER messages it receives.
class CountingWindow {
public:
    CountingWindow();
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;
    ~CountingWindow();
    HWND get() const { return hwnd_; }
    void post() const { PostMessageW(hwnd_, WM_USER, 0, 0); }
    int count() const;

private:
    HWND hwnd_;
};

// Another process opens the file (creating it when missing) and holds it until this object goes:
// with no sharing, or for reading only, sharing everything or only reading.
// lockedStart: sharing everything, with an exclusive lock on the first 4 bytes.
enum class Holder { exclusive, readerSharingAll, readerSharingReading, lockedStart };
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path, Holder how = Holder::exclusive);
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile();
    bool held() const { return held_; }

private:
    HANDLE process_ = nullptr, ready_ = nullptr, release_ = nullptr;
    bool held_ = false;
};

} // namespace test
