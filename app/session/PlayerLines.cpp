#include "app/session/PlayerLines.h"

#include "app/session/PeerText.h"

#include <QList>

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<TControlWord, std::string_view>, 3> DrawWords{{
    {TControlWord::DrawOffer, "DrawOffer"},
    {TControlWord::DrawAccept, "DrawAccept"},
    {TControlWord::DrawDecline, "DrawDecline"},
}};

} // namespace

std::string NamePayload(const QString &name) {
    const QByteArray text = PlayerNameText(name).toUtf8();
    std::string payload(NameWord);
    if (!text.isEmpty())
        payload.append(" ").append(text.constData(), static_cast<std::size_t>(text.size()));
    return payload;
}

QString PlayerNameText(const QString &text) {
    // Cut well past the limit first, so that a flood of format characters costs little.
    const QString line = ShownPeerText(text.left(MaxPlayerName * 8), MaxPlayerName * 4);
    QString name;
    int characters = 0;
    for (const char32_t c : line.toUcs4()) {
        if (characters == MaxPlayerName)
            break;
        const bool space = QChar::isSpace(c);
        if (!space && !QChar::isPrint(c))
            continue;
        if (space && (name.isEmpty() || name.endsWith(QLatin1Char(' '))))
            continue;
        name += space ? QString(QLatin1Char(' ')) : QString::fromUcs4(&c, 1);
        ++characters;
    }
    return name.endsWith(QLatin1Char(' ')) ? name.chopped(1) : name;
}

std::string DrawPayload(TControlWord word, std::uint32_t game, std::uint32_t moves) {
    for (const auto &[w, text] : DrawWords)
        if (w == word)
            return std::string(text) + ' ' + std::to_string(game) + ' ' + std::to_string(moves);
    return {};
}

bool IsDrawWord(TControlWord word) {
    return word == TControlWord::DrawOffer || word == TControlWord::DrawAccept ||
           word == TControlWord::DrawDecline;
}

void ReadPlayerLine(std::string_view payload, TPeerLine &line) {
    if (payload == NameWord || payload.starts_with(std::string(NameWord) + ' ')) {
        line.Name = std::string(payload.substr(std::min(payload.size(), NameWord.size() + 1)));
        return;
    }
    const auto space = payload.find(' ');
    const auto second = payload.find(' ', space + 1);
    if (space == std::string_view::npos || second == std::string_view::npos)
        return;
    const auto game = ReadCount(payload.substr(space + 1, second - space - 1));
    const auto moves = ReadCount(payload.substr(second + 1));
    if (!game || *game == 0 || !moves)
        return;
    for (const auto &[word, text] : DrawWords)
        if (payload.substr(0, space) == text)
            line.Word = word, line.Game = game, line.Moves = *moves;
}
