// The integer syntax either gives a number or refuses with its message; it never crashes.
#include "app/session/IntegerSyntax.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const auto parsed = ParseInteger(text);
    try {
        const int value = StrToInt(text);
        if (!parsed || *parsed != value)
            std::abort();
        // A decimal reading must print back to the digits it came from.
        const QString trimmed = text.trimmed();
        if (!trimmed.startsWith('$') && !trimmed.startsWith('+') && !trimmed.startsWith("-0") &&
            !trimmed.startsWith('0') && trimmed == text.mid(text.size() - trimmed.size()) &&
            QString::number(value) != trimmed)
            std::abort();
    } catch (const EConvertError &e) {
        if (parsed || QString::fromUtf8(e.what()).indexOf("is not a valid integer value") < 0)
            std::abort();
    }
    return 0;
}
