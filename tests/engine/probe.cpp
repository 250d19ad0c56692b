// A command-line client of the table engine: reads one command a line (fields separated by
// tabs) and answers each with one line, the result code first. Used by the engine tests.
//   open PATH [CHARTYPE] | index TABLE PATH | close H | closeindex H | exit
//   seek INDEX KEY KEYLENGTH SEEKTYPE | filter H EXPR | locate H EXPR | continue H
//   all H EXPR          locate, then continue while found: the record numbers, the final place
//   rows H EXPR...      every record in H's order with the values of the expressions, the
//                       records separated by 0x1E
//   eval H EXPR | describe H
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>
#include "ace32.h"

namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> r;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        r.push_back(line.substr(start, tab - start));
    r.push_back(line.substr(start));
    return r;
}

ENGINE_HANDLE handle(const std::string& s) { return ENGINE_HANDLE(std::strtoul(s.c_str(), nullptr, 0)); }

std::string eval(ENGINE_HANDLE h, const std::string& expression) {
    char buffer[4096];
    uint32_t length = sizeof buffer;
    uint32_t code = EngineEvaluate(h, expression.c_str(), buffer, &length);
    return code ? "error " + std::to_string(code) : std::string(buffer, length);
}

std::string place(ENGINE_HANDLE h) { return eval(h, "RECNO()") + "\t" + eval(h, "EOF()"); }

// f by reference: read after the call that sets it.
std::string found(uint32_t code, const uint16_t& f, ENGINE_HANDLE h) {
    return std::to_string(code) + "\t" + std::to_string(f) + "\t" + place(h);
}

} // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> a = split(line);
        a.resize(std::max<size_t>(a.size(), 6));
        const std::string& c = a[0];
        std::string out;
        ENGINE_HANDLE h = handle(a[1]);
        uint16_t f = 0;
        if (c == "open") {
            ENGINE_HANDLE t = 0;
            uint16_t chars = a[2].empty() ? 2 : uint16_t(std::atoi(a[2].c_str()));
            uint32_t code = AdsOpenTable(0, a[1].c_str(), "", 1, chars, 0, 2, 0, &t);
            out = std::to_string(code) + "\t" + std::to_string(t);
        } else if (c == "index") {
            ENGINE_HANDLE handles[1] = {0};
            uint16_t n = 1;
            uint32_t code = AdsOpenIndex(h, a[2].c_str(), handles, &n);
            out = std::to_string(code) + "\t" + std::to_string(handles[0]);
        } else if (c == "close") {
            out = std::to_string(AdsCloseTable(h));
        } else if (c == "closeindex") {
            out = std::to_string(AdsCloseIndex(h));
        } else if (c == "exit") {
            out = std::to_string(AdsApplicationExit());
        } else if (c == "seek") {
            out = found(AdsSeek(h, a[2].c_str(), uint16_t(std::atoi(a[3].c_str())), 2, uint16_t(std::atoi(a[4].c_str())), &f),
                        f, h);
        } else if (c == "filter") {
            out = std::to_string(AdsSetFilter(h, a[2].c_str()));
        } else if (c == "locate") {
            out = found(AdsLocate(h, a[2].c_str(), 1, &f), f, h);
        } else if (c == "continue") {
            out = found(AdsContinue(h, &f), f, h);
        } else if (c == "all" || c == "rows") {
            uint32_t code = AdsLocate(h, c == "all" ? a[2].c_str() : ".T.", 1, &f);
            out = std::to_string(code) + "\t";
            std::string list;
            for (int guard = 0; code == 0 && f == 1 && guard < 10000000; ++guard) {
                if (c == "all") {
                    list += (list.empty() ? "" : ",") + eval(h, "RECNO()");
                } else {
                    out += "\x1e" + eval(h, "RECNO()");
                    for (size_t i = 2; i < a.size() && !a[i].empty(); ++i) out += "\t" + eval(h, a[i]);
                }
                code = AdsContinue(h, &f);
            }
            out += (c == "all" ? list : "\x1e") + "\t" + std::to_string(code) + "\t" + place(h);
        } else if (c == "eval") {
            out = "0\t" + eval(h, a[2]);
        } else if (c == "describe") {
            char buffer[8192];
            uint32_t length = sizeof buffer;
            uint32_t code = EngineDescribe(h, buffer, &length);
            out = std::to_string(code) + "\t" + (code ? std::string() : std::string(buffer, length));
            for (char& ch : out)
                if (ch == '\n') ch = '|';
        } else {
            out = "unknown command";
        }
        std::cout << out << "\n" << std::flush;
    }
    return 0;
}
