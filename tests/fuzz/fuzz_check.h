#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A broken property ends the run like a crash, with the values that broke it, so that
// libFuzzer keeps the input.
#define FUZZ_CHECK(condition, ...)                                                                \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            fuzz::explain(__VA_ARGS__);                                                           \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

namespace fuzz {

inline void explainOne(const char* label, const QByteArray& bytes) {
    std::fprintf(stderr, "  %s (%lld bytes): %s\n", label, static_cast<long long>(bytes.size()),
                 bytes.toPercentEncoding(" !\"#$&'()*+,-./:;<=>?@[]^_`{|}~").constData());
}

inline void explainOne(const char* label, const QString& text) {
    QByteArray units;
    for (const QChar c : text)
        units += QByteArray::number(c.unicode(), 16).rightJustified(4, '0') + ' ';
    std::fprintf(stderr, "  %s (%lld units): %s\n", label, static_cast<long long>(text.size()),
                 units.constData());
}

inline void explainOne(const char* label, long long n) {
    std::fprintf(stderr, "  %s: %lld\n", label, n);
}

inline void explain() {}

template <typename T, typename... Rest>
void explain(const char* label, const T& value, const Rest&... rest) {
    explainOne(label, value);
    explain(rest...);
}

}  // namespace fuzz
