#pragma once

// What every harness shares: a broken property is reported and ends the run like a crash, so the
// fuzzer keeps the input that broke it and the corpus replay fails on it.
#include <QString>

#include <concepts>
#include <cstdio>
#include <cstdlib>

namespace amiscan::fuzz {

[[noreturn]] inline void propertyBroken(const char *property, const char *file, int line,
                                        const QString &detail = {})
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, property);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::abort();
}

inline QString describe(const QString &text)
{
    return u'[' + text + u']';
}
inline QString describe(std::integral auto value)
{
    return QString::number(value);
}

} // namespace amiscan::fuzz

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::amiscan::fuzz::propertyBroken(#condition, __FILE__, __LINE__);                       \
    } while (false)

// The same, saying which values differ.
#define FUZZ_CHECK_EQUAL(actual, expected)                                                         \
    do {                                                                                           \
        if (!((actual) == (expected)))                                                             \
            ::amiscan::fuzz::propertyBroken(#actual " == " #expected, __FILE__, __LINE__,          \
                                            ::amiscan::fuzz::describe(actual) +                    \
                                                QStringLiteral(" != ") +                           \
                                                ::amiscan::fuzz::describe(expected));              \
    } while (false)
