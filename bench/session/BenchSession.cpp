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

// keyFolder: where the window's key is made; empty: no key, a plain link.
std::unique_ptr<TMainForm> MakeWindow(TDialogs &dialogs, quint16 callPort,
                                      const QString &keyFolder = {}) {
    TMainFormSeams seams;
    seams.KeyFolder = keyFolder;
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

// Connected, and private too when the windows have keys.
bool Ready(const TMainForm &form, bool keys) {
    return form.BitBtn6->text() == QStringLiteral("Disconnect") &&
           (!keys || form.Session().Link().Private());
}

// Two windows, with keys (argument 1) or without; each has a folder of its own for its key.
struct TTwoWindows {
    explicit TTwoWindows(bool keys)
        : Keys(keys), Listener(MakeWindow(ListenerBoxes, 1024, keys ? ListenerKey.path() : "")),
          Caller(MakeWindow(CallerBoxes, Listener->ListeningPort(), keys ? CallerKey.path() : "")) {
    }
    bool Connect() {
        Caller->BitBtn6Click();
        return Spin([&] { return Ready(*Listener, Keys) && Ready(*Caller, Keys); });
    }
    bool Keys;
    QTemporaryDir ListenerKey, CallerKey;
    TSilentDialogs ListenerBoxes, CallerBoxes;
    std::unique_ptr<TMainForm> Listener, Caller;
};

// From Connect to a link that carries the game: connected, and private when both have keys.
void BM_ConnectUntilReady(benchmark::State &state) {
    TTwoWindows two(state.range(0) != 0);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!two.Connect()) {
            state.SkipWithError("windows did not connect");
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        two.Caller->BitBtn6Click();
        if (!Spin([&] { return !Ready(*two.Listener, false) && !Ready(*two.Caller, false); })) {
            state.SkipWithError("windows did not hang up");
            return;
        }
    }
}
BENCHMARK(BM_ConnectUntilReady)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_DropToPeerBoard(benchmark::State &state) {
    TTwoWindows two(state.range(0) != 0);
    if (!two.Connect()) {
        state.SkipWithError("windows did not connect");
        return;
    }
    TSilentDialogs &listenerBoxes = two.ListenerBoxes, &callerBoxes = two.CallerBoxes;
    auto &listener = two.Listener, &caller = two.Caller;
    std::vector<double> samples;
    int ply = 0;
    for (auto _ : state) {
        // The two start the games in turn and play White in them: neither starts more than a
        // peer may start in a minute.
        const bool listenerWhite = ply / OpeningLength % 2 == 0;
        TMainForm &white = listenerWhite ? *listener : *caller;
        TMainForm &black = listenerWhite ? *caller : *listener;
        if (ply % OpeningLength == 0) {
            white.BitBtn3Click();
            if (!Spin([&] { return black.BitBtn4->isEnabled(); })) {
                state.SkipWithError("no new game on the other side");
                return;
            }
        }
        const auto &[from, to] = Opening[ply % OpeningLength];
        TMainForm &mover = ply % 2 == 0 ? white : black;
        TMainForm &peer = ply % 2 == 0 ? black : white;
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
BENCHMARK(BM_DropToPeerBoard)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
