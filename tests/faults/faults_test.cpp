// Every method that opens a file, against every way the file can fail it: missing, its folder
// missing, held open with no sharing by another process, a folder in its place, a name the
// platform refuses, a full volume, a NUL inside the name, Null for the method's other argument
// (on a missing file), a hidden file. Each ends in its method's error mode (with its whole error text), creates
// nothing it should not, leaves no handle open (the file can be deleted at once) and keeps the
// content the file had. A row per method: a new one is added by its subject and its expected
// outcomes (ZOR_FAULTS_PRINT=1 prints every row in the form expected.inc takes).
#include "client.h"
#include "scratch.h"
#include "runtime/text.h"
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <regex>

using namespace test;

namespace {

enum Fault { missingFile, missingFolder, held, folder, badName, fullVolume, nulInName, nullArgument, hidden, faultCount };
const char* const faultNames[] = {"missing", "no folder", "held", "folder", "bad name", "full", "NUL", "Null", "hidden"};

// What a call answered: its result as text, "error N: description" for a raised error, or the
// HRESULT (a type mismatch by name).
std::string outcome(const Call& c) {
    if (c.hr == DISP_E_EXCEPTION)
        return "error " + std::to_string(c.excep.scode & 0xFFFF) + ": " + zor::toAnsi(zor::str(c.excep.bstrDescription));
    if (c.hr == DISP_E_TYPEMISMATCH) return "type mismatch"; // refused before the method runs
    if (c.hr != S_OK) return "hr " + std::to_string(c.hr);
    const VARIANT& v = c.result.get();
    switch (V_VT(&v)) {
    case VT_BOOL: return V_BOOL(&v) ? "True" : "False";
    case VT_BSTR: return zor::toAnsi(zor::str(V_BSTR(&v)));
    case VT_I2: return std::to_string(V_I2(&v));
    case VT_I4: return std::to_string(V_I4(&v));
    case VT_EMPTY: return "Empty";
    default: return "vt " + std::to_string(V_VT(&v));
    }
}

struct Subject {
    const char* method;
    std::string content;                                                   // what the file holds beforehand
    std::function<void(Call&, const std::wstring& file, bool null)> call; // the method, given the file
};

// Only a volume of a few kilobytes is filled: never the machine's own disk.
bool smallVolume(const wchar_t* root) {
    ULARGE_INTEGER free, total;
    return GetDiskFreeSpaceExW((std::wstring(root) + L"\\").c_str(), &free, &total, nullptr) && total.QuadPart <= 1024 * 1024;
}

// An outcome without what changes from run to run: the folder (long and short), a temporary
// file's number (one to four hex digits), today's date; a long text as its start and length.
std::string normalised(std::string text, const std::wstring& dir) {
    auto replace = [&](const std::string& what, const std::string& with) {
        for (size_t at; !what.empty() && (at = text.find(what)) != std::string::npos;) text.replace(at, what.size(), with);
    };
    wchar_t shortDir[MAX_PATH] = L"", today[128] = L"";
    GetShortPathNameW(dir.c_str(), shortDir, MAX_PATH);
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, today, 128);
    replace(zor::toAnsi(dir), "<dir>\\");
    replace(zor::toAnsi(shortDir), "<dir>\\");
    replace(zor::toAnsi(today), "<today>");
    text = std::regex_replace(text, std::regex(R"(\\ZOR[0-9A-Fa-f]{1,4}\.tmp)"), "\\ZOR####.tmp");
    if (text.size() > 100) text = text.substr(0, 60) + "... (" + std::to_string(text.size()) + " characters)";
    return text;
}

// Calls a method of a fresh object of the class by name; in the Null case the argument at nullAt
// (the file itself for a method that takes only the file) is Null.
std::function<void(Call&, const std::wstring&, bool)> by(const wchar_t* cls, const wchar_t* method,
                                                         std::function<Args(const std::wstring&)> args, size_t nullAt = 1) {
    return [=](Call& c, const std::wstring& f, bool null) {
        Args a = args(f);
        if (null) {
            VARIANT& v = a.v[nullAt < a.v.size() ? nullAt : 0];
            VariantClear(&v);
            V_VT(&v) = VT_NULL;
        }
        invoke(c, create<IDispatch>(cls).get(), method, a);
    };
}

const std::string logText = "Log header\r\nentry one\r\n", iniText = "[S]\r\nK=old\r\n";
const wchar_t *tf = L"TextFileFunctions", *asp = L"ASPFunctions";

std::vector<Subject> subjects() {
    auto s = [](const std::wstring& f) { return vstr(f); }; // everything after a NUL too
    return {
        {"CreateLogFile", logText, by(tf, L"CreateLogFile", [=](auto& f) { return Args{s(f), vstr(L"H")}; })},
        {"CreateLogFileWithBackup", logText,
         by(tf, L"CreateLogFileWithBackup", [=](auto& f) { return Args{s(f), vstr(L"H"), vi4(1)}; })},
        {"UpdateLogFile", logText, by(tf, L"UpdateLogFile", [=](auto& f) { return Args{s(f), vstr(L"entry two")}; })},
        {"IsInLogFile", logText, by(tf, L"IsInLogFile", [=](auto& f) { return Args{s(f), vstr(L"one")}; })},
        {"ReadIniFile", iniText, by(tf, L"ReadIniFile", [=](auto& f) { return Args{s(f), vstr(L"S"), vstr(L"K")}; })},
        {"CreateINIFile", iniText, by(tf, L"CreateINIFile", [=](auto& f) { return Args{s(f), vstr(L"H")}; })},
        {"WriteINIFile", iniText,
         by(tf, L"WriteINIFile", [=](auto& f) { return Args{s(f), vstr(L"S"), vstr(L"K"), vstr(L"newer")}; })},
        {"WriteINIFileBlankLine", iniText, by(tf, L"WriteINIFileBlankLine", [=](auto& f) { return Args{s(f)}; })},
        {"ReadTextFileString", logText, by(tf, L"ReadTextFileString", [=](auto& f) { return Args{s(f)}; })},
        {"ReadTextFileVariant", logText, by(tf, L"ReadTextFileVariant", [=](auto& f) { return Args{s(f)}; })},
        {"SetFileDate", logText, by(tf, L"SetFileDate", [=](auto& f) { return Args{s(f), vdate(36526.5)}; })},
        {"GetShortName", logText, by(tf, L"GetShortName", [=](auto& f) { return Args{s(f)}; })},
        {"GetCounter+", "41\r\n", by(asp, L"GetCounter", [=](auto& f) { return Args{s(f), vbool(true)}; })},
        {"GetCounter", "41\r\n", by(asp, L"GetCounter", [=](auto& f) { return Args{s(f)}; })},
        {"GetFileDate", logText, by(asp, L"GetFileDate", [=](auto& f) { return Args{s(f)}; })},
        {"ReadTextFile", logText, by(asp, L"ReadTextFile", [=](auto& f) { return Args{s(f)}; })},
        {"ComboListDirectory", logText,
         by(asp, L"ComboListDirectory", [=](auto& f) { return Args{vstr(L"c"), s(f), vbool(true)}; })},
        {"CryptFile in place", logText,
         by(L"EncryptFunctions", L"CryptFile", [=](auto& f) { return Args{s(f), s(f), vstr(L"pw"), vbool(true)}; }, 2)},
        {"CryptFile to", logText, [=](Call& c, const std::wstring& f, bool null) {
             std::wstring in = scratchDir(L"faults-in") + L"in.txt";
             writeFile(in, "plain\r\n");
             by(L"EncryptFunctions", L"CryptFile", [=](auto&) { return Args{s(in), s(f), vstr(L"pw"), vbool(false)}; }, 2)(c, f, null);
         }},
        // The folder itself is the subject here: its files are the temporary files' home.
        {"GetTempFilename", "", by(L"Win32Functions", L"GetTempFilename", [=](auto& f) { return Args{s(f)}; })},
        {"CopyFiles to", logText, [=](Call& c, const std::wstring& f, bool null) {
             std::wstring from = scratchDir(L"faults-from");
             const std::wstring name = f.substr(f.rfind(L'\\') + 1);
             writeFile(from + name, "copied\r\n");
             std::wstring to = f.substr(0, f.rfind(L'\\'));
             by(L"Win32Functions", L"CopyFiles", [=](auto&) { return Args{s(from), s(to), vi2(0), s(name)}; }, 3)(c, f, null);
         }},
        {"OpenACETable", readFile(testData(L"xbase\\CUSTOMER.DBF")), by(L"AdvDataAccess", L"OpenACETable", [=](auto& f) { return Args{s(f)}; })},
    };
}

// Expected outcomes: method → one per fault, in the order of Fault. " (created)" follows when a
// call on a missing file (or on the name before the NUL) creates it.
const std::map<std::string, std::vector<const char*>> expected = {
#include "expected.inc"
};

std::string cQuoted(const std::string& text) {
    std::string q = "\"";
    for (char ch : text) q += ch == '\\' || ch == '"' ? std::string{'\\', ch} : std::string{ch};
    return q + "\"";
}

// Empties a folder subject, then removes what the fault put at the file's place: at once, as
// no handle is left open.
void expectRemovable(const std::wstring& file, bool isFolder) {
    if (!exists(file)) return;
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (isFolder) emptyFolder(file + L"\\");
    EXPECT_TRUE(isFolder ? RemoveDirectoryW(file.c_str()) : DeleteFileW(file.c_str())) << "still open: error " << GetLastError();
}

} // namespace

TEST(Faults, EveryFileMethodAgainstEveryFault) {
    const bool print = std::getenv("ZOR_FAULTS_PRINT") != nullptr;
    wchar_t fullRoot[MAX_PATH] = L"";
    const bool haveFull = GetEnvironmentVariableW(L"ZOR_FULL_VOLUME", fullRoot, MAX_PATH) > 0 &&
                          GetFileAttributesW(fullRoot) != INVALID_FILE_ATTRIBUTES && smallVolume(fullRoot);
    if (!haveFull) std::cout << "no full volume (ZOR_FULL_VOLUME): those cases are not tried\n";
    const char* only = std::getenv("ZOR_FAULTS_ONLY"); // one method's row, while looking into it
    for (const Subject& subject : subjects()) {
        if (only && std::string(only) != subject.method) continue;
        const bool isFolderSubject = std::string(subject.method) == "GetTempFilename";
        const std::wstring leaf = isFolderSubject ? L"temps" : L"subject.txt";
        std::string printed = "    {" + cQuoted(subject.method) + ", {";
        for (int fault = missingFile; fault < faultCount; ++fault) {
            if (fault == fullVolume && !haveFull) {
                printed += "\"-\", ";
                continue;
            }
            SCOPED_TRACE(std::string(subject.method) + ", " + faultNames[fault]);
            std::wstring dir = fault == fullVolume ? std::wstring(fullRoot) + L"\\" : scratchDir(L"faults");
            std::wstring file = dir + leaf;
            // Where a call that should create nothing would leave something.
            std::wstring created = fault == nulInName ? dir + L"cut" : file;
            const bool hasContent = fault == held || fault == fullVolume || fault == hidden;
            std::string content = subject.content;
            if (fault == fullVolume) { // the subject fills its last page, so that any growth needs another
                emptyFolder(dir);
                content += std::string(4096 - (content.size() + 2) % 4096, 'x') + "\r\n";
            }
            if (fault == missingFolder) file = dir + L"no such folder\\" + leaf;
            if (fault == folder || (hasContent && isFolderSubject)) CreateDirectoryW(file.c_str(), nullptr);
            if (fault == badName) file = dir + (isFolderSubject ? L"te<m|p>s" : L"sub<j|e>ct.txt");
            if (fault == nulInName) file = dir + std::wstring(L"cut\0.txt", 8);
            if (hasContent && !isFolderSubject) writeFile(file, content);
            if (fault == hidden)
                SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | (isFolderSubject ? FILE_ATTRIBUTE_DIRECTORY : 0));
            if (fault == fullVolume) { // then a filler takes every page left
                HANDLE h = CreateFileW((dir + L"filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                std::string block(4096, 'f');
                DWORD written = 1;
                while (written > 0 && WriteFile(h, block.data(), 4096, &written, nullptr)) {}
                for (written = 1; written > 0 && WriteFile(h, block.data(), 1, &written, nullptr);) {}
                CloseHandle(h);
            }
            Call call;
            {
                std::optional<HeldFile> holder;
                if (fault == held && !isFolderSubject) holder.emplace(file);
                ASSERT_TRUE(!holder || holder->held());
                subject.call(call, file, fault == nullArgument);
            }
            std::string got = normalised(outcome(call), dir);
            if (std::string(subject.method) == "OpenACETable" && call.hr == S_OK) {
                if (got != "0") got = "a handle";
                Call closeAll;
                invoke(closeAll, create<IDispatch>(L"AdvDataAccess").get(), L"CloseAllACEConnections");
            }
            if ((fault == missingFile || fault == nulInName || fault == nullArgument) && exists(created)) got += " (created)";
            // "*": the call changed what the file held, as it should (or, unexpected, as it should not).
            const bool changed = hasContent && !isFolderSubject && content != readFile(file);
            const std::string seen = (changed ? "*" : "") + got;
            auto row = expected.find(subject.method);
            if (print) printed += cQuoted(seen) + (fault + 1 < faultCount ? ", " : "");
            else if (row == expected.end() || fault >= int(row->second.size())) ADD_FAILURE() << "no row: " << cQuoted(seen);
            else EXPECT_EQ(row->second[fault], seen) << "the file holds: " << readFile(file).substr(0, 60);
            expectRemovable(fault == nulInName ? created : file, isFolderSubject || fault == folder);
            if (fault == fullVolume) emptyFolder(dir); // the filler and whatever the case left
        }
        if (print) std::cout << printed << "}},\n";
    }
}
