// Filter expressions of any text over the sample table's fields: parsing ends in a tree or in
// the expression error, and a tree evaluates on every record, a damaged one included.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const engine::Table& table = fuzz::customers();
    // The first bytes of the input make a record of their own, the rest is the expression.
    std::string damaged(table.recordSize(), ' ');
    const size_t own = std::min<size_t>(size, damaged.size() / 4);
    std::copy(data, data + own, damaged.begin());
    std::string_view text(reinterpret_cast<const char*>(data) + own, size - own);

    engine::Expression e;
    try {
        e = engine::parse(text, table.fields());
    } catch (const engine::Failure& f) {
        FUZZ_CHECK(f.code == ENGINE_EXPRESSION);
        return 0;
    }
    for (uint32_t recno : {1u, 2u, 500u, 0u}) fuzz::checkValue(*e, table.record(recno));
    fuzz::checkValue(*e, engine::Record{&table.fields(), reinterpret_cast<const uint8_t*>(damaged.data()), 7, false});
    return 0;
}
