#include "app/session/MoveText.h"

namespace {
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

bool StrToFileRank(std::string_view text, int &fileNo, int &rankNo) {
    if (text.size() != 2)
        return false;
    fileNo = static_cast<unsigned char>(Upper(text[0])) - 64;
    const char rank = text[1];
    rankNo = (rank >= '0' && rank <= '9') ? rank - '0' : 0;
    return true;
}

TMoveText ReadMoveText(std::string_view text) {
    TMoveText move;
    if (text.size() < 3 || text[2] != '-')
        return move;
    move.WellFormed = true;
    StrToFileRank(text.substr(0, 2), move.FromFile, move.FromRank);
    move.HasTo = StrToFileRank(text.substr(3), move.ToFile, move.ToRank);
    return move;
}

std::string MoveTextFromListLine(std::string_view line) {
    std::string text;
    for (const char c : line)
        if (c != ' ')
            text.push_back(c);
    if (const auto dot = text.find('.'); dot != std::string::npos)
        text.erase(0, dot + 1);
    return text;
}
