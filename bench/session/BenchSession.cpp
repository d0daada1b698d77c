// Round trip of one move between two main windows over loopback: from the local drop to the
// move standing on the peer's board (drawn there, since the board paints as it moves).
#include "app/Dialogs.h"
#include "app/Main.h"
#include "board/ChessBrd.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

// The address box is answered with the loopback address; no other box is expected in these
// games, and any that comes is counted (and answered No).
class TSilentDialogs final : public TDialogs {
  public:
    void Notice(const QString &) override { ++Shown; }
    bool Confirm(const QString &) override { return ++Shown, false; }
    void Refusal(const QString &) override { ++Shown; }
    void ErrorBox(const QString &) override { ++Shown; }
    bool InputQuery(const QString &, const QString &, QString &text, int) override {
        text = QStringLiteral("127.0.0.1");
        return true;
    }
    char ChoosePromotion(bool) override { return ++Shown, 'Q'; }
    QString SaveFileName(const QString &, const QString &, const QString &) override {
        return ++Shown, QString();
    }
    int Shown = 0;
};

// Twenty half-moves without a repeated position; the game is restarted after them.
constexpr const char *Opening[][2] = {{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}, {"B8", "C6"},
                                      {"F1", "C4"}, {"F8", "C5"}, {"D2", "D3"}, {"D7", "D6"},
                                      {"B1", "C3"}, {"G8", "F6"}, {"C1", "E3"}, {"C8", "E6"},
                                      {"D1", "D2"}, {"D8", "D7"}, {"A2", "A3"}, {"A7", "A6"},
                                      {"H2", "H3"}, {"H7", "H6"}, {"B2", "B4"}, {"B7", "B5"}};
constexpr int OpeningLength = static_cast<int>(std::size(Opening));

template <class Cond> bool Spin(Cond cond) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

std::unique_ptr<TMainForm> MakeWindow(TDialogs &dialogs, quint16 callPort) {
    TMainFormSeams seams;
    seams.ListenPort = 0;
    seams.CallPort = callPort;
    seams.Dialogs = &dialogs;
    static QTemporaryDir games; // ended games are kept here, not in the user's folder
    seams.AutosaveFolder = games.path();
    seams.LocalAddresses = [] { return std::optional<QStringList>(QStringList{"127.0.0.1"}); };
    auto form = std::make_unique<TMainForm>(std::move(seams));
    form->show();
    return form;
}

QPoint Centre(const TChessBrd *board, const char *square) {
    return board->SquareRect(TChessRules::SquareAt(square[0] - 'A' + 1, square[1] - '0')).center();
}

void BM_DropToPeerBoard(benchmark::State &state) {
    TSilentDialogs listenerBoxes, callerBoxes;
    auto listener = MakeWindow(listenerBoxes, 1024);
    auto caller = MakeWindow(callerBoxes, listener->ListeningPort());
    caller->BitBtn6Click();
    if (!Spin([&] { return listener->BitBtn6->text() == QStringLiteral("Disconnect"); })) {
        state.SkipWithError("windows did not connect");
        return;
    }
    std::vector<double> samples;
    int ply = 0;
    for (auto _ : state) {
        if (ply % OpeningLength == 0) {
            listener->BitBtn3Click();
            if (!Spin([&] { return caller->BitBtn4->isEnabled(); })) {
                state.SkipWithError("no new game on the caller");
                return;
            }
        }
        const auto &[from, to] = Opening[ply % OpeningLength];
        TMainForm &mover = ply % 2 == 0 ? *listener : *caller;
        TMainForm &peer = ply % 2 == 0 ? *caller : *listener;
        TChessBrd *board = mover.ChessBrd1;
        QTest::mousePress(board, Qt::LeftButton, Qt::NoModifier, Centre(board, from));
        QTest::mouseMove(board, Centre(board, from) + QPoint(6, 6));
        QTest::mouseMove(board, Centre(board, to));
        const auto start = std::chrono::steady_clock::now();
        QTest::mouseRelease(board, Qt::LeftButton, Qt::NoModifier, Centre(board, to));
        if (!Spin([&] { return peer.ChessBrd1->Position() == board->Position(); })) {
            state.SkipWithError("move did not reach the peer");
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        samples.push_back(took.count() * 1e3);
        ++ply;
    }
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        return samples[static_cast<std::size_t>(q * (samples.size() - 1))];
    };
    state.counters["median_ms"] = at(0.5);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = samples.back();
    state.counters["boxes"] = listenerBoxes.Shown + callerBoxes.Shown;
}
BENCHMARK(BM_DropToPeerBoard)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
