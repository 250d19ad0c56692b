// The nine engine calls and the two inspection calls over the open tables and indexes of the
// process. One lock serialises the calls; no C++ exception leaves a call.
#include <windows.h>
#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include "ace32.h"
#include "files.h"

namespace engine {
namespace {

struct OpenTable {
    std::unique_ptr<Table> table;
    bool oem = false; // the table's text is OEM: the caller's ANSI text is converted
    std::vector<ENGINE_HANDLE> indexes;
    Expression filter;
    Expression locate;
    ENGINE_HANDLE locateOrder = 0; // 0: natural order
    // The current record, and where it stands in the order that last positioned the table.
    uint32_t recno = 1;
    ENGINE_HANDLE order = 0;
    Position position;
};

struct OpenIndex {
    ENGINE_HANDLE table;
    std::unique_ptr<Index> index;
};

struct State {
    std::map<ENGINE_HANDLE, OpenTable> tables;
    std::map<ENGINE_HANDLE, OpenIndex> indexes;
    ENGINE_HANDLE last = 0x00A0C000; // handles are never reused, so a stale one stays invalid
};

SRWLOCK lock = SRWLOCK_INIT;
State state; // unloading the DLL closes what is still open

[[noreturn]] void fail(uint32_t code) { throw Failure{code}; }

// Runs one call under the lock and turns every failure into its result code.
template <class F>
uint32_t run(F&& body) noexcept {
    AcquireSRWLockExclusive(&lock);
    uint32_t code = ENGINE_OK;
    try {
        body(state);
    } catch (const Failure& f) {
        code = f.code;
    } catch (const std::bad_alloc&) {
        code = ENGINE_OUT_OF_MEMORY;
    } catch (...) {
        code = ENGINE_BAD_ARGUMENT;
    }
    ReleaseSRWLockExclusive(&lock);
    return code;
}

std::string text(const char* s) {
    if (!s) fail(ENGINE_BAD_ARGUMENT);
    size_t n = strnlen(s, 65537);
    if (n > 65536) fail(ENGINE_BAD_ARGUMENT);
    return std::string(s, n);
}

// A file name with the default extension when it has none.
std::string fileName(const char* name, const char* extension, const std::string& folder = {}) {
    std::string s = text(name);
    if (s.empty() || s.size() > MAX_PATH) fail(s.empty() ? ENGINE_BAD_ARGUMENT : ENGINE_FILE_NOT_FOUND);
    size_t base = s.find_last_of("\\/:");
    if (s.find('.', base == std::string::npos ? 0 : base) == std::string::npos) s += extension;
    if (base == std::string::npos) s = folder + s;
    return s;
}

// The caller's ANSI text in the table's characters. Only text with bytes above 127 is
// converted; a character the OEM code page lacks becomes its default character, never a
// look-alike (no best fit), so that it matches nothing by accident.
std::string tableText(const OpenTable& t, std::string s) {
    if (!t.oem || std::all_of(s.begin(), s.end(), [](char c) { return uint8_t(c) < 0x80; })) return s;
    if (GetACP() == GetOEMCP()) return s; // one code page for both (UTF-8 for both on some systems)
    int wide = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
    if (wide <= 0) fail(ENGINE_BAD_ARGUMENT);
    std::wstring w(size_t(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), w.data(), wide);
    // Some code pages take no flags (ERROR_INVALID_FLAGS): those convert without them.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(CP_OEMCP, flags, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (n <= 0) n = WideCharToMultiByte(CP_OEMCP, flags = 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (n <= 0) fail(ENGINE_BAD_ARGUMENT);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_OEMCP, flags, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

// An expression from the caller, parsed against the table.
Expression parsed(const OpenTable& t, const char* expression) {
    return parse(tableText(t, text(expression)), t.table->fields(), t.table->memoFailure());
}

OpenTable& tableOf(State& st, ENGINE_HANDLE h) {
    auto t = st.tables.find(h);
    if (t != st.tables.end()) return t->second;
    auto i = st.indexes.find(h);
    if (i == st.indexes.end()) fail(ENGINE_BAD_HANDLE);
    return st.tables.at(i->second.table);
}

const Index* indexOf(State& st, ENGINE_HANDLE h) {
    auto i = st.indexes.find(h);
    return i == st.indexes.end() ? nullptr : i->second.index.get();
}

bool shown(const OpenTable& t, uint32_t recno) {
    return !t.filter || holds(*t.filter, t.table->record(recno));
}

void toEnd(OpenTable& t) {
    t.recno = t.table->records() + 1;
    t.position.steps.clear();
}

// Moves on in the order of `order` (0: natural) from the current place, the current record
// included, to the first record that the filter shows and `match` accepts.
bool scan(OpenTable& t, ENGINE_HANDLE order, const Index* index, const Node* match) {
    t.order = order;
    for (uint64_t walked = 0;; ++walked) {
        uint32_t r;
        if (index) {
            if (t.position.steps.empty()) break;
            if (walked > index->capacity()) fail(ENGINE_CORRUPT_INDEX);
            r = index->recno(t.position);
        } else {
            if (t.recno > t.table->records()) break;
            r = t.recno;
        }
        t.recno = r;
        if (shown(t, r) && (!match || holds(*match, t.table->record(r)))) return true;
        if (index) index->next(t.position);
        else ++t.recno;
    }
    toEnd(t);
    return false;
}

bool scan(State& st, OpenTable& t, ENGINE_HANDLE order, const Node* match) {
    return scan(t, order, indexOf(st, order), match);
}

void writeText(const std::string& s, char* buffer, uint32_t* length) {
    if (!length) fail(ENGINE_BAD_ARGUMENT);
    uint32_t room = *length;
    *length = uint32_t(s.size());
    if (!buffer || room < s.size()) fail(ENGINE_BUFFER_TOO_SMALL);
    memcpy(buffer, s.data(), s.size());
    if (room > s.size()) buffer[s.size()] = 0;
}

void closeIndex(State& st, ENGINE_HANDLE h) {
    auto i = st.indexes.find(h);
    OpenTable& t = st.tables.at(i->second.table);
    std::erase(t.indexes, h);
    if (t.order == h) t.order = 0;
    if (t.locateOrder == h) t.locate.reset();
    st.indexes.erase(i);
}

} // namespace
} // namespace engine

using namespace engine;

extern "C" {

uint32_t ENGINE_CALL AdsOpenTable(ENGINE_HANDLE connection, const char* name, const char*, uint16_t tableType,
                                  uint16_t charType, uint16_t, uint16_t, uint32_t, ENGINE_HANDLE* table) {
    return run([&](State& st) {
        if (!table) fail(ENGINE_BAD_ARGUMENT);
        if (connection) fail(ENGINE_BAD_HANDLE);
        if (tableType != ENGINE_TABLE_NTX) fail(ENGINE_NOT_SUPPORTED);
        if (charType != ENGINE_ANSI_CHARACTERS && charType != ENGINE_OEM_CHARACTERS) fail(ENGINE_NOT_SUPPORTED);
        OpenTable t;
        t.oem = charType == ENGINE_OEM_CHARACTERS;
        t.table = std::make_unique<Table>(fileName(name, ".dbf"));
        ENGINE_HANDLE h = ++st.last;
        st.tables.emplace(h, std::move(t));
        *table = h;
    });
}

uint32_t ENGINE_CALL AdsCloseTable(ENGINE_HANDLE table) {
    return run([&](State& st) {
        auto t = st.tables.find(table);
        if (t == st.tables.end()) fail(ENGINE_BAD_HANDLE);
        while (!t->second.indexes.empty()) closeIndex(st, t->second.indexes.back());
        st.tables.erase(t);
    });
}

uint32_t ENGINE_CALL AdsOpenIndex(ENGINE_HANDLE table, const char* name, ENGINE_HANDLE* handles, uint16_t* count) {
    return run([&](State& st) {
        auto t = st.tables.find(table);
        if (t == st.tables.end()) fail(ENGINE_BAD_HANDLE);
        if (!handles || !count) fail(ENGINE_BAD_ARGUMENT);
        if (*count < 1) {
            *count = 1;
            fail(ENGINE_BUFFER_TOO_SMALL);
        }
        auto index = std::make_unique<Index>(fileName(name, ".ntx", t->second.table->folder()), *t->second.table);
        ENGINE_HANDLE h = ++st.last;
        st.indexes.emplace(h, OpenIndex{table, std::move(index)});
        t->second.indexes.push_back(h);
        handles[0] = h;
        *count = 1;
    });
}

uint32_t ENGINE_CALL AdsCloseIndex(ENGINE_HANDLE index) {
    return run([&](State& st) {
        if (!st.indexes.count(index)) fail(ENGINE_BAD_HANDLE);
        closeIndex(st, index);
    });
}

uint32_t ENGINE_CALL AdsSeek(ENGINE_HANDLE index, const char* key, uint16_t keyLength, uint16_t dataType,
                             uint16_t seekType, uint16_t* found) {
    return run([&](State& st) {
        auto entry = st.indexes.find(index); // looked up once: a seek is called in loops
        if (entry == st.indexes.end()) fail(ENGINE_BAD_HANDLE);
        const Index* ix = entry->second.index.get();
        if (!key || !found) fail(ENGINE_BAD_ARGUMENT);
        if (dataType != ENGINE_STRING_KEY) fail(ENGINE_NOT_SUPPORTED);
        if (seekType != ENGINE_SOFT_SEEK && seekType != ENGINE_EXACT_SEEK) fail(ENGINE_BAD_ARGUMENT);
        OpenTable& t = st.tables.at(entry->second.table);
        std::string search = tableText(t, std::string(key, strnlen(key, keyLength)));
        if (ix->numeric()) search = ix->numericKey(search);
        search.resize(std::min<size_t>(search.size(), ix->keySize()));
        ix->seek(t.position, search);
        // The filter may hide the first match: the next shown key must still match.
        bool any = scan(t, index, ix, nullptr);
        bool match = any && memcmp(ix->key(t.position), search.data(), search.size()) == 0;
        if (!match && seekType == ENGINE_EXACT_SEEK) toEnd(t);
        *found = match ? 1 : 0;
    });
}

uint32_t ENGINE_CALL AdsSetFilter(ENGINE_HANDLE table, const char* expression) {
    return run([&](State& st) {
        OpenTable& t = tableOf(st, table);
        std::string e = text(expression);
        if (e.find_first_not_of(' ') == std::string::npos) {
            t.filter.reset();
            return;
        }
        Expression f = parsed(t, expression);
        if (typeOf(*f) != Type::Logical) fail(ENGINE_EXPRESSION);
        t.filter = std::move(f);
    });
}

uint32_t ENGINE_CALL AdsLocate(ENGINE_HANDLE table, const char* expression, uint16_t forward, uint16_t* found) {
    return run([&](State& st) {
        OpenTable& t = tableOf(st, table);
        if (!found) fail(ENGINE_BAD_ARGUMENT);
        if (forward != ENGINE_FORWARD) fail(ENGINE_NOT_SUPPORTED);
        Expression e = parsed(t, expression);
        if (typeOf(*e) != Type::Logical) fail(ENGINE_EXPRESSION);
        t.locate = std::move(e);
        t.locateOrder = indexOf(st, table) ? table : 0;
        if (const Index* ix = indexOf(st, table)) ix->first(t.position);
        else t.recno = 1;
        *found = scan(st, t, t.locateOrder, t.locate.get()) ? 1 : 0;
    });
}

uint32_t ENGINE_CALL AdsContinue(ENGINE_HANDLE table, uint16_t* found) {
    return run([&](State& st) {
        OpenTable& t = tableOf(st, table);
        if (!found) fail(ENGINE_BAD_ARGUMENT);
        if (!t.locate) fail(ENGINE_NO_LOCATE);
        *found = 0;
        if (t.recno > t.table->records()) return; // at the end already
        const Index* ix = indexOf(st, t.locateOrder);
        if (!ix) {
            ++t.recno;
        } else {
            // Another order moved the table since: find the current record in this one.
            bool here = t.order == t.locateOrder;
            if (!here) {
                ix->seek(t.position, ix->keyOf(t.table->record(t.recno)), t.recno);
                here = !t.position.steps.empty() && ix->recno(t.position) == t.recno;
            }
            if (here) ix->next(t.position);
        }
        *found = scan(st, t, t.locateOrder, t.locate.get()) ? 1 : 0;
    });
}

uint32_t ENGINE_CALL AdsApplicationExit(void) {
    return run([&](State& st) {
        st.indexes.clear();
        st.tables.clear();
    });
}

uint32_t ENGINE_CALL EngineEvaluate(ENGINE_HANDLE handle, const char* expression, char* buffer, uint32_t* length) {
    return run([&](State& st) {
        OpenTable& t = tableOf(st, handle);
        Expression e = parsed(t, expression);
        writeText(valueText(evaluate(*e, t.table->record(t.recno))), buffer, length);
    });
}

uint32_t ENGINE_CALL EngineDescribe(ENGINE_HANDLE handle, char* buffer, uint32_t* length) {
    return run([&](State& st) {
        std::string s;
        if (const Index* ix = indexOf(st, handle)) {
            s = "key " + ix->keyExpression() + "\nkeysize " + std::to_string(ix->keySize()) + "\ndecimals " +
                std::to_string(ix->keyDecimals()) + "\nunique " + std::to_string(ix->unique()) + "\ndescending " +
                std::to_string(ix->descending()) + "\n";
        } else {
            const Table& t = *tableOf(st, handle).table;
            s = "records " + std::to_string(t.records()) + "\nheader " + std::to_string(t.headerSize()) +
                "\nrecordsize " + std::to_string(t.recordSize()) + "\n";
            for (const Field& f : t.fields())
                s += "field " + f.name + " " + f.type + " " + std::to_string(f.length) + " " +
                     std::to_string(f.decimals) + "\n";
        }
        writeText(s, buffer, length);
    });
}

} // extern "C"
