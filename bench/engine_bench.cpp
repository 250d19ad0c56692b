// The table engine's own speed through its C interface: writes a table of 1,000,000 records and
// its index (bulk-built pages, as an engine writes them), then times opening both and seeking
// keys that exist and keys that do not.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>
#include "../engine/ace32.h"

namespace {

constexpr uint32_t records = 1000000, keySize = 20, itemSize = keySize + 8, maxItems = 32;

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

std::string nameOf(uint32_t n) {
    char b[32];
    snprintf(b, sizeof b, "CUSTOMER %010u", n);
    return std::string(b).append(keySize - strlen(b), ' ');
}

void put16(std::string& s, size_t at, uint32_t v) { s[at] = char(v), s[at + 1] = char(v >> 8); }
void put32(std::string& s, size_t at, uint32_t v) { put16(s, at, v & 0xFFFF), put16(s, at + 2, v >> 16); }

struct Entry {
    std::string key;
    uint32_t recno, child;
};

// One level of the tree: pages of up to maxItems keys, the key between two pages going up.
std::vector<Entry> level(const std::vector<Entry>& items, uint32_t lastChild, std::string& file, uint32_t& top) {
    size_t n = items.size(), pages = (n + 1 + maxItems) / (maxItems + 1);
    std::vector<Entry> up;
    size_t at = 0;
    for (size_t p = 0; p < pages; ++p) {
        size_t keys = (n - (pages - 1)) / pages + (p < (n - (pages - 1)) % pages);
        std::string page(1024, '\0');
        put16(page, 0, uint32_t(keys));
        for (size_t i = 0; i <= maxItems; ++i) put16(page, 2 + 2 * i, uint32_t(2 + 2 * (maxItems + 1) + i * itemSize));
        for (size_t i = 0; i < keys; ++i, ++at) {
            size_t off = 2 + 2 * (maxItems + 1) + i * itemSize;
            put32(page, off, items[at].child);
            put32(page, off + 4, items[at].recno);
            page.replace(off + 8, keySize, items[at].key);
        }
        uint32_t right = at < n ? items[at].child : lastChild;
        put32(page, 2 + 2 * (maxItems + 1) + keys * itemSize, right);
        top = uint32_t(file.size());
        file += page;
        if (at < n) up.push_back({items[at].key, items[at].recno, top}), ++at;
    }
    return up;
}

void write(const char* path, const std::string& bytes) {
    FILE* f = fopen(path, "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

} // namespace

int main() {
    std::vector<uint32_t> numbers(records);
    std::mt19937 random(7);
    for (uint32_t i = 0; i < records; ++i) numbers[i] = i * 2; // odd numbers are never there
    std::shuffle(numbers.begin(), numbers.end(), random);

    std::string table(32, '\0');
    table[0] = 3;
    put32(table, 4, records);
    put16(table, 8, 32 + 32 + 1);
    put16(table, 10, 1 + keySize);
    std::string field(32, '\0');
    field.replace(0, 4, "NAME");
    field[11] = 'C';
    field[16] = char(keySize);
    table += field + "\r";
    table.reserve(table.size() + size_t(records) * (1 + keySize) + 1);
    std::vector<Entry> entries(records);
    for (uint32_t r = 0; r < records; ++r) {
        entries[r] = {nameOf(numbers[r]), r + 1, 0};
        table += ' ' + entries[r].key;
    }
    table += '\x1a';
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    std::string index(1024, '\0');
    uint32_t root = 0, below = 0;
    std::vector<Entry> items = entries;
    do {
        items = level(items, below, index, root);
        below = root;
    } while (!items.empty());
    put16(index, 0, 6), put16(index, 2, 1), put32(index, 4, root), put16(index, 12, itemSize), put16(index, 14, keySize);
    put16(index, 18, maxItems), put16(index, 20, maxItems / 2);
    index.replace(22, 4, "NAME");
    write("bench_big.dbf", table);
    write("bench_big.ntx", index);

    double t0 = now();
    ENGINE_HANDLE t = 0, ix[1] = {0};
    uint16_t count = 1, found = 0;
    uint32_t code = AdsOpenTable(0, "bench_big.dbf", "", 1, 2, 0, 2, 0, &t);
    code |= AdsOpenIndex(t, "bench_big.ntx", ix, &count);
    double opened = now() - t0;
    if (code) return printf("open failed: %u\n", code), 1;

    const int seeks = 200000;
    std::vector<std::string> keys(seeks);
    for (int i = 0; i < seeks; ++i) keys[i] = nameOf(uint32_t(random() % (2 * records))).substr(0, 19);
    int hits = 0, expectedHits = 0;
    for (const std::string& k : keys) expectedHits += (k[18] - '0') % 2 == 0; // the even numbers are there
    t0 = now();
    for (const std::string& k : keys) {
        code |= AdsSeek(ix[0], k.c_str(), uint16_t(k.size()), 2, 2, &found);
        hits += found;
    }
    double seeking = now() - t0;
    printf("table of %u records (%.1f MB) and its index (%.1f MB)\n", records, table.size() / 1e6, index.size() / 1e6);
    printf("open table and index: %.1f ms\n", opened * 1000);
    printf("seeks: %d in %.3f s = %.0f per second (%d found of %d there, code %u)\n", seeks, seeking, seeks / seeking,
           hits, expectedHits, code);
    AdsApplicationExit();
    DeleteFileA("bench_big.dbf");
    DeleteFileA("bench_big.ntx");
    return 0;
}
