#pragma once

// What every fuzz target shares: turning the fuzzer's bytes into texts, and
// stopping the run when an invariant does not hold.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Torva {

namespace Fuzz {

// Bytes as a text: UTF-8 (invalid sequences become replacement characters),
// or, after a leading 0xFF byte, raw UTF-16 code units, so that lone
// surrogates and any other code unit reach the code under test as well.
inline QString text(const QByteArray &bytes)
{
    if (!bytes.isEmpty() && uint8_t(bytes.at(0)) == 0xFF) {
        const QByteArray units = bytes.mid(1);
        return QString(reinterpret_cast<const QChar *>(units.constData()), units.size() / 2);
    }
    return QString::fromUtf8(bytes);
}

// The input split at its first parts - 1 NUL bytes into exactly parts texts
// (the last one keeps any further NUL bytes).
inline QStringList texts(const uint8_t *data, size_t size, int parts)
{
    QStringList result;
    QByteArray rest(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int i = 0; i < parts - 1; ++i) {
        const qsizetype nul = rest.indexOf('\0');
        if (nul < 0) {
            result << text(rest);
            rest.clear();
        } else {
            result << text(rest.left(nul));
            rest = rest.mid(nul + 1);
        }
    }
    result << text(rest);
    return result;
}

// Reports the broken invariant and aborts, which libFuzzer records as a crash.
[[noreturn]] inline void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char *what, const QString &detail = QString())
{
    if (!holds)
        fail(what, detail);
}

} // namespace Fuzz

} // namespace Torva
