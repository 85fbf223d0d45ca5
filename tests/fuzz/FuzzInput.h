#pragma once

// What every fuzz target shares: the entry point libFuzzer calls, and the ways bytes
// become the texts the code under test receives from outside.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace kelvane::fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Bodies arrive as bytes and are decoded as UTF-8 (broken sequences become U+FFFD).
inline QString utf8(const uint8_t *data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The same bytes as raw UTF-16 code units, for what UTF-8 decoding never yields:
// lone surrogates, U+FFFF, NULs in the middle of a pair.
inline QString utf16(const uint8_t *data, size_t size) {
    return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
}

// Most targets read the input one way or the other by its first byte, so one corpus
// feeds both.
inline QString text(const uint8_t *data, size_t size) {
    if (size > 0 && data[0] == 0xFE) {
        QByteArray aligned = bytes(data + 1, size - 1);
        return utf16(reinterpret_cast<const uint8_t *>(aligned.constData()),
                     size_t(aligned.size()));
    }
    return utf8(data, size);
}

// A broken invariant is a finding: abort so libFuzzer keeps the input.
[[noreturn]] void fail(const char *what);
inline void check(bool condition, const char *what) {
    if (!condition) fail(what);
}

} // namespace kelvane::fuzz
