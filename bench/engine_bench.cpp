// The table engine's own speed through its C interface: writes a table of 1,000,000 records and
// its index (bulk-built pages, as an engine writes them), then times opening both, seeking keys
// that exist and keys that do not, and a locate through the whole table, counting the engine's
// heap allocations on the way (its imports of malloc, calloc and realloc, patched).
#include <windows.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>
#include "../engine/ace32.h"

namespace {

constexpr uint32_t records = 1000000, keySize = 20, itemSize = keySize + 8, maxItems = 32;
constexpr uint32_t cityAt = 1 + keySize, cityLength = 15, balanceAt = cityAt + cityLength, balanceLength = 10;
constexpr uint32_t recordSize = balanceAt + balanceLength;
const char* const cities[] = {"London", "Lonsdale", "LONDON", "Paris", "Berlin", "Longview", "Oslo", "lon"};
const char* const condition = "UPPER(LEFT(CITY, 3)) = \"LON\" .AND. LEN(TRIM(NAME)) > 8 .AND. BALANCE > 0";

long allocations = 0;
void*(__cdecl* realMalloc)(size_t);
void*(__cdecl* realCalloc)(size_t, size_t);
void*(__cdecl* realRealloc)(void*, size_t);
void* __cdecl countMalloc(size_t n) { return ++allocations, realMalloc(n); }
void* __cdecl countCalloc(size_t n, size_t size) { return ++allocations, realCalloc(n, size); }
void* __cdecl countRealloc(void* p, size_t n) { return ++allocations, realRealloc(p, n); }

// Points the module's imports of the allocation functions at the counting ones.
void countAllocations(HMODULE module) {
    auto base = reinterpret_cast<BYTE*>(module);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            void** real = !strcmp(name, "malloc") ? reinterpret_cast<void**>(&realMalloc)
                        : !strcmp(name, "calloc") ? reinterpret_cast<void**>(&realCalloc)
                        : !strcmp(name, "realloc") ? reinterpret_cast<void**>(&realRealloc) : nullptr;
            if (!real) continue;
            void* hook = real == reinterpret_cast<void**>(&realMalloc) ? reinterpret_cast<void*>(countMalloc)
                       : real == reinterpret_cast<void**>(&realCalloc) ? reinterpret_cast<void*>(countCalloc)
                       : reinterpret_cast<void*>(countRealloc);
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            *real = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
        }
    }
}

// The condition written out by hand over the record bytes: the anchor the engine is set against.
bool byHand(const char* r) {
    char c[3];
    for (int i = 0; i < 3; ++i) c[i] = char(toupper(static_cast<unsigned char>(r[cityAt + i])));
    if (memcmp(c, "LON", 3)) return false;
    int n = keySize;
    while (n && r[1 + n - 1] == ' ') --n;
    char balance[balanceLength + 1] = {};
    memcpy(balance, r + balanceAt, balanceLength);
    return n > 8 && atof(balance) > 0;
}

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

// Processor time of this thread: on a machine shared with other work the fairer clock.
double busy() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto seconds = [](const FILETIME& t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
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
    put16(table, 8, 32 + 3 * 32 + 1);
    put16(table, 10, recordSize);
    for (auto [name, type, length, decimals] : {std::tuple{"NAME", 'C', keySize, 0u}, {"CITY", 'C', cityLength, 0u},
                                                {"BALANCE", 'N', balanceLength, 2u}}) {
        std::string field(32, '\0');
        field.replace(0, strlen(name), name);
        field[11] = type;
        field[16] = char(length);
        field[17] = char(decimals);
        table += field;
    }
    table += "\r";
    size_t first = table.size();
    table.reserve(first + size_t(records) * recordSize + 1);
    std::vector<Entry> entries(records);
    for (uint32_t r = 0; r < records; ++r) {
        entries[r] = {nameOf(numbers[r]), r + 1, 0};
        char rest[64];
        snprintf(rest, sizeof rest, "%-15s%10.2f", cities[random() % 8], (int(random() % 2001) - 1000) * 1.25);
        table += ' ' + entries[r].key + rest;
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

    // A locate from the top, continued to the end: every record is read once (timed the second
    // time). Then the same condition as a filter, shown records walked by a locate of .T.
    countAllocations(GetModuleHandleA("ace32.dll"));
    AdsCloseIndex(ix[0]);
    double processor = 0;
    auto walk = [&](const char* expression, int& matches) {
        double start = now(), startBusy = busy();
        matches = 0;
        for (code = AdsLocate(t, expression, 1, &found); found && !code; code = AdsContinue(t, &found)) ++matches;
        processor = busy() - startBusy;
        return now() - start;
    };
    int matches = 0, shown = 0;
    walk(condition, matches); // once untimed: the table's pages read in, as for the anchor's copy
    // The processor clock moves in steps of 10 ms or more: several rounds give a steady figure.
    const int rounds = 8;
    long before = allocations;
    double locating = 0, locatingBusy = 0;
    for (int i = 0; i < rounds; ++i) locating += walk(condition, matches) / rounds, locatingBusy += processor / rounds;
    long locateAllocations = (allocations - before) / rounds;
    before = allocations;
    code |= AdsSetFilter(t, condition);
    long parsing = allocations - before; // not 0: the counting works
    before = allocations;
    walk(".T.", shown);
    long filterAllocations = allocations - before;
    t0 = now();
    double anchorBusy = busy();
    int anchorMatches = 0;
    for (int i = 0; i < rounds; ++i) {
        anchorMatches = 0;
        for (uint32_t r = 0; r < records; ++r) anchorMatches += byHand(table.data() + first + size_t(r) * recordSize);
    }
    anchorBusy = (busy() - anchorBusy) / rounds;
    printf("locate %s: %d found, filter: %d shown, by hand: %d, code %u\n", condition, matches, shown, anchorMatches, code);
    printf("  %.0f records per second, %.0f per second of processor time (the same test written by hand in C++: %.0f "
           "per second of processor time, ratio %.2f)\n", records / locating, records / locatingBusy,
           records / anchorBusy, anchorBusy / locatingBusy);
    printf("  allocations per record: locate %.6f (%ld in all), filter %.6f (%ld in all); parsing the condition "
           "alone makes %ld\n", double(locateAllocations) / records, locateAllocations,
           double(filterAllocations) / records, filterAllocations, parsing);
    AdsApplicationExit();
    DeleteFileA("bench_big.dbf");
    DeleteFileA("bench_big.ntx");
    return 0;
}
