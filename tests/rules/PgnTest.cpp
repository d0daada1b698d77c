#include "board/core/Pgn.h"
#include "tests/rules/RulesTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/common/Rows.h"
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Plays "E2-E4 A7-A8=N ..."; a promotion without "=X" becomes a queen. False at a refused move.
bool PlayGame(TChessRules &board, std::string_view moves) {
    char piece = 'q';
    board.OnPromotion = [&piece](TObject *, Square, Square, char &NewPiece) { NewPiece = piece; };
    std::istringstream tokens{std::string(moves)};
    bool played = true;
    for (std::string move; played && tokens >> move;) {
        piece = move.size() == 7
                    ? static_cast<char>(std::tolower(static_cast<unsigned char>(move[6])))
                    : 'q';
        played = board.MakeMove(Sq(move.substr(0, 2)), Sq(move.substr(3, 2)));
    }
    board.OnPromotion = nullptr;
    return played;
}

struct GameCase {
    const char *name;
    const char *setUp; // FEN placement with White to move and no castlings; nullptr: start position
    const char *moves;
    TGameResult result;
    const char *san; // the movetext we must write, without numbers and result
};

const GameCase Games[] = {
    {"CastlesBothWaysAndEnPassant", nullptr,
     "E2-E4 D7-D5 E4-E5 F7-F5 E5-F6 G8-F6 G1-F3 C8-G4 F1-E2 B8-C6 E1-G1 D8-D6 D2-D3 E8-C8",
     TGameResult::Unfinished, "e4 d5 e5 f5 exf6 Nxf6 Nf3 Bg4 Be2 Nc6 O-O Qd6 d3 O-O-O"},
    {"ScholarsMate", nullptr, "E2-E4 E7-E5 D1-H5 B8-C6 F1-C4 G8-F6 H5-F7", TGameResult::WhiteWins,
     "e4 e5 Qh5 Nc6 Bc4 Nf6 Qxf7#"},
    {"DisambiguationByFileAndRank", nullptr,
     "G1-F3 G8-F6 D2-D3 D7-D6 E2-E3 E7-E5 F1-E2 F8-E7 B1-D2 B8-C6 D2-F1 E8-G8 F1-D2",
     TGameResult::Draw, "Nf3 Nf6 d3 d6 e3 e5 Be2 Be7 Nbd2 Nc6 Nf1 O-O N1d2"},
    {"EveryPromotionPiece", "3r4/PPP1P3/8/7k/8/4K3/5ppp/8",
     "A7-A8=Q H2-H1=R B7-B8=N G2-G1=B C7-D8=B F2-F1=N E3-D3 H5-G4 E7-E8=R", TGameResult::Unfinished,
     "a8=Q h1=R b8=N g1=B cxd8=B f1=N+ Kd3 Kg4 e8=R"},
    {"KnightPromotionMates", "5rb1/6Pk/6pp/8/8/8/8/B3K3", "G7-F8=N", TGameResult::WhiteWins,
     "gxf8=N#"},
};

void SetUpGame(TChessRules &board, const GameCase &game) {
    board.ResetGame();
    if (game.setUp != nullptr)
        SetUpBoard(board, game.setUp, true);
    ASSERT_TRUE(PlayGame(board, game.moves));
}

// The movetext of a PGN text as tokens, without move numbers, comments and the result.
std::vector<std::string> MoveTokens(const std::string &pgn) {
    std::string body;
    bool comment = false;
    for (const char c : pgn.substr(pgn.find("\n\n") + 2)) {
        if (c == '{' || c == '}')
            comment = c == '{';
        body += comment || c == '}' ? ' ' : c;
    }
    const auto moveNumber = [](const std::string &token) {
        const auto dots = token.find('.');
        return dots != 0 && dots != std::string::npos &&
               token.find_first_not_of("0123456789") == dots &&
               token.find_first_not_of('.', dots) == std::string::npos;
    };
    std::vector<std::string> tokens;
    std::istringstream in(body);
    for (std::string token; in >> token;) {
        if (!moveNumber(token) && token != "1-0" && token != "0-1" && token != "1/2-1/2" &&
            token != "*")
            tokens.push_back(token);
    }
    return tokens;
}

std::vector<std::string> Split(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;)
        tokens.push_back(token);
    return tokens;
}

// FEN without its half-move clock, which the board does not keep.
std::string WithoutClock(const std::string &fen) {
    auto parts = Split(fen);
    if (parts.size() == 6)
        parts.erase(parts.begin() + 4);
    std::string joined;
    for (const auto &part : parts)
        joined += (joined.empty() ? "" : " ") + part;
    return joined;
}

using test_rows::PrintTo;

class PgnGameTest : public testing::TestWithParam<GameCase> {};

TEST_P(PgnGameTest, WritesTheMovesInSan) {
    TChessRules board;
    SetUpGame(board, GetParam());
    const std::string pgn = GamePgn(
        board, SessionPgnTags(true, "peer", "127.0.0.1", "2026.12.08", 5, GetParam().result));
    EXPECT_EQ(MoveTokens(pgn), Split(GetParam().san)) << pgn;
    EXPECT_NE(
        pgn.find(std::string("[Result \"") + std::string(ResultText(GetParam().result)) + "\"]"),
        std::string::npos);
    EXPECT_EQ(GetParam().setUp != nullptr, pgn.find("[SetUp \"1\"]") != std::string::npos);
}

// Where Debian keeps pgn-extract (/usr/games) is not always on PATH.
fs::path FindPgnExtract() {
    std::vector<std::string> dirs;
    if (const char *path = std::getenv("PATH")) {
        std::istringstream in(path);
        for (std::string dir; std::getline(in, dir, ':');)
            dirs.push_back(dir);
    }
    dirs.push_back("/usr/games");
    for (const auto &dir : dirs) {
        const fs::path candidate = fs::path(dir) / "pgn-extract";
        if (!dir.empty() && fs::exists(candidate))
            return candidate;
    }
    return {};
}

std::string ReadAll(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ExtractRun {
    std::string out;
    std::string errors;
};

// pgn-extract re-reads every move and writes the game back in its own SAN, with the final FEN.
ExtractRun RunPgnExtract(const fs::path &tool, const std::string &pgn, const std::string &name) {
    const fs::path dir = fs::path(testing::TempDir()) / ("pgn-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path in = dir / (name + ".pgn"), out = dir / (name + ".out"),
                   err = dir / (name + ".err");
    std::ofstream(in, std::ios::binary) << pgn;
    const std::string command = "'" + tool.string() + "' -s -F -o '" + out.string() + "' '" +
                                in.string() + "' 2> '" + err.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return {ReadAll(out), ReadAll(err)};
}

class PgnExtractTest : public testing::TestWithParam<GameCase> {
  protected:
    void SetUp() override {
        tool = FindPgnExtract();
        if (!tool.empty())
            return;
        const char *ci = std::getenv("CI");
        if (ci != nullptr && std::string(ci) == "true")
            FAIL() << "pgn-extract is not installed (scripts/packages-test.txt lists it)";
        GTEST_SKIP() << "pgn-extract is not installed; install it to cross-check our PGN";
    }
    fs::path tool;
};

TEST_P(PgnExtractTest, ReadsEveryMoveAndReachesOurPosition) {
    TChessRules board;
    SetUpGame(board, GetParam());
    const TRecordedGame game = ReadGameRecord(board);
    ASSERT_TRUE(game.Complete);
    const std::string pgn =
        PgnText(SessionPgnTags(false, "peer", "::1", "2026.12.08", 0, GetParam().result), game);
    const ExtractRun run = RunPgnExtract(tool, pgn, GetParam().name);
    EXPECT_EQ(run.errors, "");
    // Its SAN equals ours token for token: the same captures, disambiguation, checks and mates.
    EXPECT_EQ(MoveTokens(run.out), MoveTokens(pgn)) << run.out;
    const auto open = run.out.find("{ \"");
    const auto close = run.out.find("\" }", open == std::string::npos ? 0 : open);
    ASSERT_TRUE(open != std::string::npos && close != std::string::npos) << run.out;
    const std::string fen = run.out.substr(open + 3, close - open - 3);
    EXPECT_EQ(fen, game.FinalFen);
    EXPECT_EQ(WithoutClock(fen),
              WithoutClock(PositionFen(PositionStateOf(board), 0, board.CurrentMove())));
}

INSTANTIATE_TEST_SUITE_P(Games, PgnGameTest, testing::ValuesIn(Games), test_rows::RowName);
INSTANTIATE_TEST_SUITE_P(Games, PgnExtractTest, testing::ValuesIn(Games), test_rows::RowName);

TEST(PgnText, WritesTheTagRosterWithPlayersByColour) {
    TChessRules board;
    ASSERT_TRUE(PlayGame(board, "E2-E4 E7-E5"));
    const std::string pgn =
        GamePgn(board, SessionPgnTags(false, "Bob \"the\\rook\"\nx", "203.0.113.7",
                                      PgnDate(2026, 12, 8), 45, TGameResult::BlackWins));
    EXPECT_EQ(pgn, "[Event \"Boardwick game\"]\n"
                   "[Site \"203.0.113.7\"]\n"
                   "[Date \"2026.12.08\"]\n"
                   "[Round \"-\"]\n"
                   "[White \"Bob \\\"the\\\\rook\\\" x\"]\n"
                   "[Black \"Local\"]\n"
                   "[Result \"0-1\"]\n"
                   "[TimeControl \"2700\"]\n"
                   "\n"
                   "1. e4 e5 0-1\n");
}

TEST(PgnText, EmptyRecordIsJustTheResult) {
    TChessRules board;
    board.LastMoveNumber = 0; // as after the local player's New Game
    const std::string pgn = GamePgn(board, {});
    EXPECT_EQ(pgn.substr(pgn.find("\n\n")), "\n\n*\n");
    EXPECT_EQ(pgn.find("SetUp"), std::string::npos);
}

TEST(PgnText, LongGameWrapsUnderEightyColumns) {
    TChessRules board;
    ASSERT_TRUE(PlayQuietGame(board, 160));
    const TRecordedGame game = ReadGameRecord(board);
    ASSERT_TRUE(game.Complete);
    ASSERT_EQ(game.Moves.size(), 160u);
    const std::string pgn = PgnText({}, game);
    std::istringstream lines(pgn);
    int movetextLines = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 80u) << line;
        movetextLines += !line.empty() && line[0] != '[';
    }
    EXPECT_GT(movetextLines, 10);
    EXPECT_EQ(MoveTokens(pgn), game.Moves);
}

// Bounds that point past what was written (the session sets them directly) must not invent moves.
TEST(PgnText, RecordThatBreaksOffEndsUnfinished) {
    TChessRules board;
    ASSERT_TRUE(PlayGame(board, "E2-E4 E7-E5 G1-F3"));
    board.LastMoveNumber = 5;
    const TRecordedGame game = ReadGameRecord(board);
    EXPECT_FALSE(game.Complete);
    EXPECT_EQ(game.Moves, (std::vector<std::string>{"e4", "e5", "Nf3"}));
    TPgnTags tags;
    tags.Result = TGameResult::WhiteWins;
    const std::string pgn = PgnText(tags, game);
    EXPECT_NE(pgn.find("[Result \"*\"]"), std::string::npos);
    EXPECT_NE(pgn.find("1. e4 e5 2. Nf3 *\n"), std::string::npos);
}

} // namespace
