// What the engine's fuzz targets share: the sample customer table, and a scratch file per
// process for the table or index bytes under test.
#pragma once
#include <cstdint>
#include <string>
#include <unistd.h>
#include "ace32.h"
#include "check.h"
#include "files.h"

namespace fuzz {

inline const engine::Table& customers() {
    static const engine::Table table(ZOR_XBASE "CUSTOMER.DBF");
    return table;
}

// The bytes as a file of the given extension; its path.
inline std::string scratchFile(const uint8_t* data, size_t size, const char* extension) {
    static const std::string path = "/tmp/zor-fuzz-" + std::to_string(getpid()) + extension;
    FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f);
    FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
    return path;
}

// Every value an expression gives is of the type found when it was parsed, and prints.
inline void checkValue(const engine::Node& e, const engine::Record& r) {
    engine::Value v = engine::evaluate(e, r);
    FUZZ_CHECK(v.type == engine::typeOf(e));
    if (v.type == engine::Type::Date) FUZZ_CHECK(v.day == 0 || engine::dtos(v.day).size() == 8);
    std::string text = engine::valueText(v);
    if (v.type == engine::Type::String) FUZZ_CHECK(text == v.text);
}

} // namespace fuzz
