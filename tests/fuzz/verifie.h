// What the fuzzing harnesses require of a reader's result. A broken requirement aborts with
// its text: libFuzzer then keeps the input that led there.
#pragma once

#include <cstdio>
#include <cstdlib>

#define EXIGE(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "Exigence non tenue : %s (%s:%d)\n", #condition, __FILE__,        \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
