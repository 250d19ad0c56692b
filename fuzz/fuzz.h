// What the native fuzz targets share: a failed invariant stops the run with its text, as a
// crash does, so that the fuzzer keeps the input that broke it; for the engine's targets, the
// sample customer table and a scratch file per process for the table or index bytes under test.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>
#include "ace32.h"
#include "files.h"

[[noreturn]] inline void fuzzFailed(const char* file, int line, const char* invariant) {
    std::fprintf(stderr, "invariant failed at %s:%d: %s\n", file, line, invariant);
    std::abort();
}
#define FUZZ_CHECK(cond) ((cond) ? void() : fuzzFailed(__FILE__, __LINE__, #cond))

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
