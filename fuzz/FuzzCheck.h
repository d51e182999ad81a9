#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: stop so libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                              \
        }                                                                              \
    } while (false)
