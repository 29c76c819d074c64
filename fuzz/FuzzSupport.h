#pragma once

// Shared pieces of the libFuzzer targets: turning the fuzzer's bytes into text
// and stopping with a readable message when a property does not hold.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

// The bytes as UTF-8; malformed sequences become U+FFFD, so the text is always
// well formed (what a text box or the database can hold).
inline QString utf8Text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The bytes as UTF-16 code units, little-endian, lone surrogates included.
inline QString utf16Units(const uint8_t *data, size_t size)
{
    QString text;
    text.reserve(qsizetype(size / 2));
    for (size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return text;
}

// A text shown with its code units, so unprintable input can be reproduced.
inline void printText(const char *label, const QString &text)
{
    std::fprintf(stderr, "  %s (%lld units): \"%s\"\n   ", label, static_cast<long long>(text.size()),
                 text.left(300).toUtf8().constData());
    for (qsizetype i = 0; i < text.size() && i < 300; ++i)
        std::fprintf(stderr, " %04x", text[i].unicode());
    std::fprintf(stderr, "%s\n", text.size() > 300 ? " ..." : "");
}

[[noreturn]] inline void fail(const char *property, const char *file, int line)
{
    std::fprintf(stderr, "\nPROPERTY FAILED: %s (%s:%d)\n", property, file, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace FuzzSupport

// Checks a property; on failure runs `report` (a statement printing the values
// involved), names the property and aborts, which libFuzzer records as a crash.
#define FUZZ_CHECK(condition, report)                                      \
    do {                                                                   \
        if (!(condition)) {                                                \
            report;                                                        \
            FuzzSupport::fail(#condition, __FILE__, __LINE__);             \
        }                                                                  \
    } while (false)
