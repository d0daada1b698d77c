#include "app/session/IntegerSyntax.h"

#include <cstdint>
#include <limits>

namespace {

int DigitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (base == 16 && u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (base == 16 && u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value;
}

} // namespace

std::optional<int> ParseInteger(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;

    int base = 10;
    bool negative = false;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // The magnitude may reach 2^31 only for a negative decimal number.
    const std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    const qsizetype firstDigit = i;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    if (i == firstDigit)
        return std::nullopt;
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int StrToInt(const QString &text) {
    if (const auto value = ParseInteger(text))
        return *value;
    // A NUL would cut the message short wherever it is read as a C string.
    QString shown = text;
    shown.replace(QChar(u'\0'), QChar(QChar::ReplacementCharacter));
    throw EConvertError(
        QStringLiteral("'%1' is not a valid integer value").arg(shown).toStdString());
}

int StrToIntDef(const QString &text, int fallback) {
    return ParseInteger(text).value_or(fallback);
}
