#pragma once

// A broken property ends the run like a crash, so the fuzzer keeps the input that broke it and
// the corpus replay fails on it.
#include <QDebug>

#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            qCritical("%s:%d: property broken: %s", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The same, saying which values differ.
#define FUZZ_CHECK_EQUAL(actual, expected)                                                         \
    do {                                                                                           \
        if (!((actual) == (expected))) {                                                           \
            qCritical() << __FILE__ << __LINE__ << "property broken:" << #actual " == " #expected  \
                        << (actual) << (expected);                                                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
