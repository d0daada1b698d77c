#include "app/session/PeerText.h"

namespace {

bool BreaksTheLine(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// Explicit direction controls: left in, they would turn the text after them (even the window's
// own words on the same line) around.
bool IsBidiControl(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

} // namespace

QString ShownPeerText(const QString &text, int maxLength) {
    const qsizetype limit = qMax(maxLength, 0);
    QString shown;
    shown.reserve(qMin(text.size(), limit * 2));
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text.at(i).unicode();
        qsizetype units = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        } else if (QChar::isSurrogate(c)) {
            c = QChar::ReplacementCharacter;
        }
        i += units;
        if (IsBidiControl(c))
            continue;
        if (characters == limit)
            return shown + QStringLiteral(" \u2026");
        ++characters;
        if (BreaksTheLine(c))
            shown += QLatin1Char(' ');
        else
            shown += QStringView(QChar::fromUcs4(c));
    }
    return shown;
}
