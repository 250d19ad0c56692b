// Table files of any content: opening ends in a table or in the corrupt-table result, and every
// field of every record of an opened table can be read.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::scratchFile(data, size, ".dbf");
    try {
        engine::Table table(path);
        FUZZ_CHECK(uint64_t(table.headerSize()) + uint64_t(table.records()) * table.recordSize() <= size);
        uint32_t width = 1;
        for (const engine::Field& f : table.fields()) width += f.length;
        FUZZ_CHECK(width == table.recordSize());
        std::vector<engine::Expression> reads;
        for (const engine::Field& f : table.fields()) {
            try {
                reads.push_back(engine::parse(f.name, table.fields(), table.memoFailure()));
            } catch (const engine::Failure& e) {
                // a name that is no identifier, or a memo field without its memo file
                FUZZ_CHECK(e.code == ENGINE_EXPRESSION || (f.type == 'M' && e.code == table.memoFailure()));
            }
        }
        for (uint32_t recno = 0; recno <= std::min<uint32_t>(table.records() + 1, 64); ++recno)
            for (const auto& e : reads) fuzz::checkValue(*e, table.record(recno));
    } catch (const engine::Failure& f) {
        FUZZ_CHECK(f.code == ENGINE_CORRUPT_TABLE);
    }
    return 0;
}
