// Index files of any content over the sample table: opening ends in an index or in the
// corrupt-index or mismatch result; a walk through the order and seeks end in keys of the
// table's records or in the corrupt-index result, never beyond the file.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const engine::Table& table = fuzz::customers();
    const std::string path = fuzz::scratchFile(data, size, ".ntx");
    try {
        engine::Index index(path, table);
        FUZZ_CHECK(index.keySize() >= 1 && index.keySize() <= 256);
        engine::Position walk;
        index.first(walk);
        for (uint64_t n = 0; !walk.steps.empty() && n <= index.capacity(); ++n) {
            const uint32_t r = index.recno(walk);
            FUZZ_CHECK(r >= 1 && r <= table.records());
            std::string key(index.key(walk), index.keySize());
            index.next(walk);
        }
        engine::Position p;
        for (uint32_t recno : {1u, 250u, 500u}) {
            const std::string key = index.keyOf(table.record(recno));
            FUZZ_CHECK(key.size() == index.keySize());
            index.seek(p, key);
            index.seek(p, key, recno);
            if (!p.steps.empty()) index.recno(p);
            if (index.numeric()) FUZZ_CHECK(index.numericKey(" 12.5").size() == index.keySize());
        }
    } catch (const engine::Failure& f) {
        FUZZ_CHECK(f.code == ENGINE_CORRUPT_INDEX || f.code == ENGINE_INDEX_MISMATCH);
    }
    return 0;
}
