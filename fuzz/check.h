// What every native fuzz target shares: a failed invariant stops the run with its text, as a
// crash does, so that the fuzzer keeps the input that broke it.
#pragma once
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzzFailed(const char* file, int line, const char* invariant) {
    std::fprintf(stderr, "invariant failed at %s:%d: %s\n", file, line, invariant);
    std::abort();
}
#define FUZZ_CHECK(cond) ((cond) ? void() : fuzzFailed(__FILE__, __LINE__, #cond))
