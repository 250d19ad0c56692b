// A table larger than a 32-bit process can map at once, written on the fly, read through the
// engine: a locate of the last record, a count by filter and seeks through its index, each
// checked against what the writer put there, and the address space the process used.
//   bigtable MEGABYTES FOLDER [noindex]
// Prints one line per check and "N passed, N failed".
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "../engine/ace32.h"

namespace {

constexpr uint32_t keySize = 40, itemSize = keySize + 8, maxItems = 18, recordSize = 1 + keySize + 3 + 56;
int passed = 0, failed = 0;

void check(bool ok, const char* what, const std::string& got) {
    (ok ? passed : failed)++;
    std::printf("%s: %s (%s)\n", ok ? "ok" : "FAIL", what, got.c_str());
}

// Record r's key: in record order, so that the index can be written level by level.
void keyOf(uint32_t r, char* out) {
    char b[64];
    std::snprintf(b, sizeof b, "ITEM %010u", r);
    std::memset(out, ' ', keySize);
    std::memcpy(out, b, std::strlen(b));
}
bool coded(uint32_t r) { return r % 7 == 3; } // CODE = "K3"

void put16(char* p, uint32_t v) { p[0] = char(v), p[1] = char(v >> 8); }
void put32(char* p, uint32_t v) { put16(p, v & 0xFFFF), put16(p + 2, v >> 16); }

void writeTable(const std::string& path, uint32_t records) {
    FILE* f = std::fopen(path.c_str(), "wb");
    char header[32 + 3 * 32 + 1] = {3};
    put32(header + 4, records);
    put16(header + 8, sizeof header);
    put16(header + 10, recordSize);
    const struct { const char* name; uint32_t length; } fields[] = {{"NAME", keySize}, {"CODE", 3}, {"PAD", 56}};
    for (int i = 0; i < 3; ++i) {
        char* d = header + 32 + 32 * i;
        std::strcpy(d, fields[i].name);
        d[11] = 'C';
        d[16] = char(fields[i].length);
    }
    header[sizeof header - 1] = '\r';
    std::fwrite(header, 1, sizeof header, f);
    std::vector<char> block(recordSize * 4096);
    for (uint32_t r = 1; r <= records;) {
        size_t n = 0;
        for (; n < 4096 && r <= records; ++n, ++r) {
            char* p = block.data() + n * recordSize;
            std::memset(p, ' ', recordSize);
            keyOf(r, p + 1);
            std::memcpy(p + 1 + keySize, coded(r) ? "K3" : "K1", 2);
        }
        std::fwrite(block.data(), recordSize, n, f);
    }
    std::fputc(0x1A, f);
    std::fclose(f);
}

// The index over NAME, bulk-built a level at a time as an engine does; every level's entries
// (record number, child page) are kept, not the keys.
void writeIndex(const std::string& path, uint32_t records) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::vector<char> page(1024);
    std::fwrite(page.data(), 1, 1024, f);
    struct Entry { uint32_t recno, child; };
    std::vector<Entry> items(records);
    for (uint32_t r = 0; r < records; ++r) items[r] = {r + 1, 0};
    uint32_t root = 0, below = 0, offset = 1024;
    do {
        size_t n = items.size(), pages = (n + 1 + maxItems) / (maxItems + 1), at = 0;
        std::vector<Entry> up;
        for (size_t p = 0; p < pages; ++p) {
            size_t keys = (n - (pages - 1)) / pages + (p < (n - (pages - 1)) % pages);
            std::memset(page.data(), 0, 1024);
            put16(page.data(), uint32_t(keys));
            for (size_t i = 0; i <= maxItems; ++i) put16(page.data() + 2 + 2 * i, uint32_t(2 + 2 * (maxItems + 1) + i * itemSize));
            for (size_t i = 0; i < keys; ++i, ++at) {
                char* item = page.data() + 2 + 2 * (maxItems + 1) + i * itemSize;
                put32(item, items[at].child);
                put32(item + 4, items[at].recno);
                keyOf(items[at].recno, item + 8);
            }
            put32(page.data() + 2 + 2 * (maxItems + 1) + keys * itemSize, at < n ? items[at].child : below);
            root = offset;
            std::fwrite(page.data(), 1, 1024, f);
            offset += 1024;
            if (at < n) up.push_back({items[at].recno, root}), ++at;
        }
        items.swap(up);
        below = root;
    } while (!items.empty());
    std::memset(page.data(), 0, 1024);
    put16(page.data(), 6), put16(page.data() + 2, 1), put32(page.data() + 4, root);
    put16(page.data() + 12, itemSize), put16(page.data() + 14, keySize);
    put16(page.data() + 18, maxItems), put16(page.data() + 20, maxItems / 2);
    std::memcpy(page.data() + 22, "NAME", 4);
    std::fseek(f, 0, SEEK_SET);
    std::fwrite(page.data(), 1, 1024, f);
    std::fclose(f);
}

std::string eval(ENGINE_HANDLE h, const char* expression) {
    char b[256];
    uint32_t n = sizeof b;
    uint32_t code = EngineEvaluate(h, expression, b, &n);
    return code ? "error " + std::to_string(code) : std::string(b, n);
}

// Address space this process has reserved or committed, in MB.
double used() {
    double bytes = 0;
    MEMORY_BASIC_INFORMATION m;
    for (char* p = nullptr; VirtualQuery(p, &m, sizeof m) == sizeof m; p = static_cast<char*>(m.BaseAddress) + m.RegionSize) {
        if (m.State != MEM_FREE) bytes += double(m.RegionSize);
        if (static_cast<char*>(m.BaseAddress) + m.RegionSize < p) break; // wrapped at the top
    }
    return bytes / 1048576;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    uint64_t bytes = uint64_t(std::atoi(argv[1])) << 20;
    uint32_t records = uint32_t(bytes / recordSize);
    bool index = !(argc > 3 && !std::strcmp(argv[3], "noindex"));
    std::string folder = argv[2], table = folder + "\\BIG.DBF", ntx = folder + "\\BIG.NTX";
    writeTable(table, records);
    if (index) writeIndex(ntx, records);
    double before = used(), peak = before;
    std::printf("table of %u records, %.0f MB; address space in use before opening it %.0f MB\n", records,
                double(records) * recordSize / 1048576, before);

    ENGINE_HANDLE t = 0, ix[1] = {0};
    uint16_t n = 1, found = 0;
    uint32_t code = AdsOpenTable(0, table.c_str(), "", 1, 2, 0, 2, 0, &t);
    check(code == 0, "open", std::to_string(code));
    char last[keySize + 1] = {};
    keyOf(records, last);
    std::string locate = "NAME = \"" + std::string(last, 15) + "\"";
    code = AdsLocate(t, locate.c_str(), 1, &found);
    std::string recno = eval(t, "RECNO()");
    check(code == 0 && found == 1 && recno == std::to_string(records), "locate of the last record", recno);
    peak = std::max(peak, used());
    uint32_t want = 0, shown = 0;
    for (uint32_t r = 1; r <= records; ++r) want += coded(r);
    code = AdsSetFilter(t, "CODE = \"K3\"");
    for (code |= AdsLocate(t, ".T.", 1, &found); found && !code; code = AdsContinue(t, &found)) ++shown;
    check(code == 0 && shown == want, "count by filter", std::to_string(shown) + " of " + std::to_string(want));
    peak = std::max(peak, used());
    AdsSetFilter(t, "");
    if (index) {
        code = AdsOpenIndex(t, ntx.c_str(), ix, &n);
        check(code == 0, "open index", std::to_string(code));
        for (uint32_t r : {records, 1u, records / 2 + 1, records - 1}) {
            char key[keySize + 1] = {};
            keyOf(r, key);
            found = 0;
            code = AdsSeek(ix[0], key, 15, 2, 2, &found);
            std::string at = eval(t, "RECNO()");
            check(code == 0 && found == 1 && at == std::to_string(r), "seek", std::string(key, 15) + " at " + at);
        }
        // A key between two records is not found.
        code = AdsSeek(ix[0], "ITEM 0000000000", 15, 2, 2, &found);
        check(code == 0 && found == 0, "seek of a missing key", std::to_string(found));
        peak = std::max(peak, used());
    }
    AdsApplicationExit();
    // A few windows at a time, never a view of a whole large file.
    check(peak - before <= 128, "address space the engine took, in MB", std::to_string(int(peak - before)));
    DeleteFileA(table.c_str());
    DeleteFileA(ntx.c_str());
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
