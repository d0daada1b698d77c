#include "app/session/GameState.h"

namespace {

struct TAskWords {
    TAskKind Kind;
    TControlWord Ask, Grant, Refusal;
};

constexpr std::array<TAskWords, AskKinds> AskWords{{
    {TAskKind::Back, TControlWord::AskBack, TControlWord::Back, TControlWord::BackFail},
    {TAskKind::Forward, TControlWord::AskForward, TControlWord::Forward, TControlWord::ForwardFail},
    {TAskKind::WardOff, TControlWord::WardAskOff, TControlWord::WardOff, TControlWord::WardOffFail},
    {TAskKind::WardOn, TControlWord::WardAskOn, TControlWord::WardOn, TControlWord::WardOnFail},
}};

const TAskWords &WordsOf(TAskKind kind) {
    return AskWords[static_cast<std::size_t>(kind)];
}

} // namespace

bool ColoursByRole(const TGameState &game) {
    return game.Running() && game.MovesMade == 0;
}

bool MayDispatch(const TPeerLine &line, TBoardHold hold) {
    if (line.Channel == TPeerChannel::Chat || line.Channel == TPeerChannel::None)
        return true;
    return hold != TBoardHold::MoveInProgress;
}

bool InterruptsDrag(const TPeerLine &line) {
    if (line.Channel != TPeerChannel::Control)
        return false;
    switch (line.Word) {
    case TControlWord::New:
    case TControlWord::Resign:
    case TControlWord::Back:
    case TControlWord::Forward:
    case TControlWord::DrawOffer:
    case TControlWord::DrawAccept:
        return true;
    default:
        return AskKindOf(line.Word) || RefusedKindOf(line.Word);
    }
}

namespace {
// The kind whose word in that place (ask, grant or refusal) is word.
std::optional<TAskKind> KindBy(TControlWord TAskWords::*place, TControlWord word) {
    for (const TAskWords &words : AskWords)
        if (words.*place == word)
            return words.Kind;
    return std::nullopt;
}
} // namespace

std::optional<TAskKind> AskKindOf(TControlWord word) {
    return KindBy(&TAskWords::Ask, word);
}

TControlWord AskOf(TAskKind kind) {
    return WordsOf(kind).Ask;
}

std::optional<TAskKind> GrantedKindOf(TControlWord word) {
    return KindBy(&TAskWords::Grant, word);
}

TControlWord GrantOf(TAskKind kind) {
    return WordsOf(kind).Grant;
}

TControlWord RefusalOf(TAskKind kind) {
    return WordsOf(kind).Refusal;
}

std::optional<TAskKind> RefusedKindOf(TControlWord word) {
    return KindBy(&TAskWords::Refusal, word);
}
