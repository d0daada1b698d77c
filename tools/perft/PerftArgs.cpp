#include "tools/perft/PerftArgs.h"

#include "board/core/ChessRules.h"

#include <charconv>
#include <cstring>

namespace {

bool ParsePosition(const std::string &text, PerftArgs &args, std::string &error) {
    if (text.size() != 64) {
        error = "POSITION must be 64 characters, got " + std::to_string(text.size());
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::strchr(" PNBRQKpnbrqk", text[i]) == nullptr || text[i] == '\0') {
            error = "POSITION has '" + std::string(1, text[i]) + "' at character " +
                    std::to_string(i + 1) + "; only spaces and PNBRQKpnbrqk are allowed";
            return false;
        }
    }
    args.position = text;
    return true;
}

bool ParseCastling(const std::string &text, PerftArgs &args, std::string &error) {
    args.castling = CastleSet{};
    if (text == "-")
        return true;
    const std::string complaint =
        "CASTLING must be - or some of KQkq in that order, got '" + text + "'";
    if (text.empty()) {
        error = complaint;
        return false;
    }
    static constexpr char Letters[] = "KQkq";
    static constexpr CanStillCastle Rights[] = {
        CanStillCastle::WhiteKingSide, CanStillCastle::WhiteQueenSide,
        CanStillCastle::BlackKingSide, CanStillCastle::BlackQueenSide};
    std::size_t next = 0;
    for (char c : text) {
        while (next < 4 && Letters[next] != c)
            ++next;
        if (next == 4) {
            error = complaint;
            return false;
        }
        args.castling.include(Rights[next++]);
    }
    return true;
}

bool ParseEnPassant(const std::string &text, PerftArgs &args, std::string &error) {
    args.enPassant = Square::None;
    if (text == "-")
        return true;
    if (text.size() == 2) {
        const char file = static_cast<char>(text[0] >= 'a' ? text[0] - 32 : text[0]);
        const Square sq = TChessRules::SquareAt(file - 'A' + 1, text[1] - '0');
        if (file >= 'A' && file <= 'H' && (text[1] == '3' || text[1] == '6') &&
            sq != Square::None) {
            args.enPassant = sq;
            return true;
        }
    }
    error = "EP must be - or a square on rank 3 or 6 such as E3, got '" + text + "'";
    return false;
}

bool ParseDepth(const std::string &text, PerftArgs &args, std::string &error) {
    int depth = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), depth);
    if (code != std::errc() || end != text.data() + text.size() || depth < 1) {
        error = "DEPTH must be a whole number of at least 1, got '" + text + "'";
        return false;
    }
    args.depth = depth;
    return true;
}

} // namespace

bool ParsePerftArgs(int argc, const char *const *argv, PerftArgs &args, std::string &error) {
    if (argc != 6) {
        error = "expected 5 arguments, got " + std::to_string(argc - 1) +
                "; usage: boardwick-perft POSITION SIDE CASTLING EP DEPTH";
        return false;
    }
    if (!ParsePosition(argv[1], args, error))
        return false;
    const std::string side = argv[2];
    if (side != "w" && side != "b") {
        error = "SIDE must be w or b, got '" + side + "'";
        return false;
    }
    args.whiteToMove = side == "w";
    return ParseCastling(argv[3], args, error) && ParseEnPassant(argv[4], args, error) &&
           ParseDepth(argv[5], args, error);
}
