// Seeded random sessions: two programs, or one and a raw peer, driven through random sequences
// of local actions, peer lines, clock ticks, box answers and disconnects, with boxes that stay
// open in nested event loops while further steps run. Invariants are checked after every step.
//   BOARDWICK_SEED     the seed (printed; default: from the clock)
//   BOARDWICK_SECONDS  how long each test runs (default 3)
#include "app/session/PeerLink.h"
#include "tests/session/SessionFixture.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

namespace {
using namespace session_test;

quint64 Seed() {
    if (const char *text = std::getenv("BOARDWICK_SEED"))
        return std::strtoull(text, nullptr, 10);
    return static_cast<quint64>(QDateTime::currentMSecsSinceEpoch());
}

int Seconds() {
    const char *text = std::getenv("BOARDWICK_SECONDS");
    return text ? std::max(1, std::atoi(text)) : 3;
}

const char *const Garbage[] = {
    "Morvanti-MOV-A1-A1", "Morvanti-MOV-E2E4",    "Morvanti-MOV-Z9-Z8", "Morvanti-MOV-E7-E5X",
    "Morvanti-CTR-new",   "Morvanti-CTR-Resign ", "Morvanti-CTR-4",     "Morvanti-CTR-$FFFFFFFFF",
    "Morvanti-XYZ-New",   "Morvanta-CTR-New",     "Morvanti",           "",
    "Morvanti-CTR-",      "\xff\xfe\x01",
};

class TRandomSession {
  public:
    explicit TRandomSession(quint64 seed) : Random(seed) {}

    std::mt19937_64 Random;
    int Steps = 0;
    int Depth = 0;

    bool Trace = std::getenv("BOARDWICK_TRACE") != nullptr;
    void Say(const char *who, const std::string &what) {
        if (Trace)
            std::cout << Steps << " d" << Depth << " " << who << ": " << what << std::endl;
    }

    int Pick(int n) { return static_cast<int>(Random() % static_cast<quint64>(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    // Every box of a window answered at random, after a few more steps run while it is open.
    void Drive(TWindow &window) {
        window.Boxes.Script.RunLoops = true;
        window.Boxes.Script.Answerer = [this](ShownBox::Kind kind, const QString &text) {
            ScriptedAnswer answer{Chance(50), QStringLiteral("127.0.0.1"), {}};
            if (kind == ShownBox::Kind::Input)
                answer.Accept = true;
            if (kind == ShownBox::Kind::Promotion)
                answer.Text = QString(QLatin1Char("QRBN"[Pick(4)]));
            Say("box", text.toStdString() + (answer.Accept ? " yes" : " no"));
            if (Depth < 3)
                answer.While = [this] {
                    ++Depth;
                    for (int i = Pick(4); i > 0; --i)
                        Step();
                    --Depth;
                };
            return answer;
        };
    }

    // The invariants that hold in every state, inside boxes included.
    static void CheckWindow(TWindow &window) {
        std::map<std::pair<int, QString>, int> open;
        for (const auto *box : window.Boxes.Script.Open()) {
            const int count = ++open[std::make_pair(static_cast<int>(box->Type), box->Text)];
            ASSERT_LE(count, 1) << "two boxes at once: " << box->Text.toStdString();
        }
        ASSERT_LE(window.Boxes.Script.Open().size(), 6u);
        if (window->Session().Timer().Enabled()) {
            ASSERT_TRUE(window->Session().GameRunning()) << "a clock runs outside a game";
        }
        ASSERT_LE(window->Session().Link().Queued(), TPeerLink::MaxQueued);
    }

    virtual ~TRandomSession() = default;
    virtual void Step() = 0;

    // Local actions a player can take on a window that has no box of its own open.
    const char *Who(TWindow &w) { return w->Session().IsServer() == w.Connected() ? "L" : "C"; }

    void LocalAction(TWindow &w) {
        if (!w.Boxes.Script.Open().empty() || w->ChessBrd1->IsDragging())
            return;
        const int action = Pick(12);
        static const char *const names[] = {"new",    "resign",    "move",     "move",
                                            "move",   "held move", "ask back", "ask forward",
                                            "switch", "chat",      "tick",     "flag"};
        Say(Who(w), names[action]);
        switch (action) {
        case 0:
            w->BitBtn3Click();
            break;
        case 1:
            if (w->BitBtn4->isEnabled() && Chance(30))
                w->BitBtn4Click();
            break;
        case 2:
        case 3:
        case 4:
            PlayRandomMove(w, false);
            break;
        case 5:
            PlayRandomMove(w, true); // held while further steps run
            break;
        case 6:
            if (w->BitBtn1->isEnabled())
                w->BitBtn1Click();
            break;
        case 7:
            if (w->BitBtn2->isEnabled())
                w->BitBtn2Click();
            break;
        case 8:
            if (w->Button2->isEnabled() && Chance(30))
                w->Button2Click();
            break;
        case 9:
            w->Edit4->setText(QStringLiteral("chat %1").arg(Steps));
            w->Edit4KeyDown(13);
            break;
        case 10:
            if (w->Session().Timer().Enabled())
                w->Session().Timer1Timer();
            break;
        case 11:
            if (w->Session().Timer().Enabled() &&
                Chance(10)) { // the flag of the side to move falls
                w->Session().SetClock(w->ChessBrd1->WhiteToMove(), {0, 0});
                w->Session().Timer1Timer();
            }
            break;
        }
    }

    void PlayRandomMove(TWindow &w, bool holdAWhile) {
        if (!w.BoardEnabled())
            return;
        const auto moves = w->ChessBrd1->LegalMoves();
        if (moves.empty())
            return;
        const auto [from, to] =
            moves[static_cast<std::size_t>(Pick(static_cast<int>(moves.size())))];
        Say(Who(w), "picks up " + TChessRules::SquareName(from));
        const std::string fromName = TChessRules::SquareName(from);
        const std::string toName = TChessRules::SquareName(to);
        THeldDrag held(w->ChessBrd1, fromName.c_str());
        if (holdAWhile && Depth < 3) {
            ++Depth;
            for (int i = Pick(3) + 1; i > 0; --i)
                Step();
            --Depth;
        }
        const bool drop = Chance(90);
        Say(Who(w), (drop ? "drop " : "put back ") + fromName + "-" + toName);
        held.Release(drop ? toName.c_str() : nullptr);
    }

    static void Settle(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
};

// Two programs over loopback: besides the invariants above, their boards and records agree
// whenever the session is quiet.
class TPairSession final : public TRandomSession {
  public:
    explicit TPairSession(quint64 seed) : TRandomSession(seed) {
        EXPECT_TRUE(Pair.Connect());
        Drive(Pair.Listener);
        Drive(Pair.Caller);
    }

    TPair Pair;
    int Compared = 0; // quiet points at which the boards were compared

    void Step() override {
        ++Steps;
        TWindow &w = Chance(50) ? Pair.Listener : Pair.Caller;
        TWindow &other = &w == &Pair.Listener ? Pair.Caller : Pair.Listener;
        const int kind = Pick(20);
        if (kind < 14) {
            LocalAction(w);
            Delivered(w, other);
        } else if (kind < 17) {
            // A broken line from the peer: changes nothing.
            if (auto *socket = other->Session().Link().Current()) {
                const char *line = Garbage[Pick(std::size(Garbage))];
                Say(Who(other), std::string("garbage ") + line);
                socket->Write(QByteArray(line) + "\n");
                Delivered(other, w);
            }
        } else if (kind < 18 && Chance(25)) {
            if (w.Connected() && w.Boxes.Script.Open().empty()) {
                Say(Who(w), "disconnect");
                w->BitBtn6Click();
            }
        } else if (!Pair.Listener.Connected() && !Pair.Caller.Connected() &&
                   Pair.Caller.Boxes.Script.Open().empty()) {
            Say("C", "call");
            // A listener switched off and on again may have been given another free port.
            Pair.Caller->Sockets().ClientSocket->SetPort(Pair.Listener->ListeningPort());
            Pair.Caller->BitBtn6Click(); // calls again; the address box is answered
        }
        Settle(Pick(3) * 5);
        for (TWindow *window : {&Pair.Listener, &Pair.Caller})
            CheckWindow(*window);
    }

    // What one side sent has reached the other before anyone acts again: two people cannot both
    // act within the same instant, and a move that crosses a New Game on the wire is a race that
    // the lines cannot tell apart.
    void Delivered(TWindow &from, TWindow &to) {
        if (!from.Connected() || !to.Connected())
            return;
        const QString marker = QStringLiteral("delivered %1").arg(++Markers);
        from->Session().Link().SendChat(marker);
        WaitUntil([&] { return !to.Connected() || to.Messages().contains(marker); });
    }
    int Markers = 0;

    // Quiet: no box open, both connected, every line delivered and dispatched.
    void CheckAgreement() {
        if (!Pair.Listener.Connected() || !Pair.Caller.Connected()) {
            Say("check", "not connected");
            return;
        }
        if (Pair.Listener->Session().Phase() == TGamePhase::None ||
            Pair.Caller->Session().Phase() == TGamePhase::None) {
            Say("check", "no game yet");
            return; // a new connection before its first game: the boards show older games
        }
        const QString marker = QStringLiteral("quiet %1").arg(Steps);
        for (TWindow *w : {&Pair.Listener, &Pair.Caller}) {
            (*w)->Edit4->setText(marker);
            (*w)->Edit4KeyDown(13);
        }
        ASSERT_TRUE(WaitUntil([&] {
            return Pair.Listener.Messages().contains(marker) &&
                   Pair.Caller.Messages().contains(marker) &&
                   Pair.Listener->Session().Link().Queued() == 0 &&
                   Pair.Caller->Session().Link().Queued() == 0;
        })) << "lines lost at step "
            << Steps;
        Settle(10);
        if (!Pair.Listener.Connected() || !Pair.Caller.Connected())
            return;
        auto *a = Pair.Listener->ChessBrd1;
        auto *b = Pair.Caller->ChessBrd1;
        ASSERT_EQ(a->Position(), b->Position()) << "boards differ at step " << Steps;
        ASSERT_EQ(a->WhiteToMove(), b->WhiteToMove()) << "step " << Steps;
        // The last line is the slot of the half-move still to be played, which may hold an entry
        // left from an earlier game.
        auto recordA = a->GetMoveList(), recordB = b->GetMoveList();
        if (!recordA.empty())
            recordA.pop_back();
        if (!recordB.empty())
            recordB.pop_back();
        ASSERT_EQ(recordA, recordB) << "records differ at step " << Steps;
        ++Compared;
        if (Pair.Listener->Session().GameRunning() && Pair.Caller->Session().GameRunning()) {
            ASSERT_NE(Pair.Listener->Session().PlaysWhite(), Pair.Caller->Session().PlaysWhite())
                << "step " << Steps;
        }
    }
};

TEST(RandomSession, TwoProgramsStayInStep) {
    const quint64 seed = Seed();
    std::cout << "seed " << seed << " (BOARDWICK_SEED)" << std::endl;
    TPairSession session(seed);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < Seconds() * 1000 && !HasFatalFailure()) {
        session.Step();
        if (!HasFatalFailure() && session.Chance(20))
            session.CheckAgreement();
    }
    std::cout << session.Steps << " steps, " << session.Compared << " boards compared\n";
}

// One program and a raw peer sending random lines, valid and not.
class TRawSession final : public TRandomSession {
  public:
    explicit TRawSession(quint64 seed) : TRandomSession(seed) {
        Peer = std::make_unique<TRawPeer>(Window);
        Drive(Window);
    }

    TWindow Window;
    std::unique_ptr<TRawPeer> Peer;

    void Step() override {
        ++Steps;
        const int kind = Pick(10);
        if (kind < 4) {
            LocalAction(Window);
        } else if (kind < 9) {
            Peer->Send(RandomLine());
        } else if (Chance(20)) {
            Peer = std::make_unique<TRawPeer>(Window); // the old one is gone
        }
        Settle(Pick(3) * 5);
        CheckWindow(Window);
    }

    QByteArray RandomLine() {
        static const char *const Words[] = {"Resign",     "New",         "AskBack",
                                            "AskForward", "BackFail",    "ForwardFail",
                                            "Back",       "Forward",     "WardAskOff",
                                            "WardAskOn",  "WardOffFail", "WardOnFail",
                                            "WardOff",    "WardOn",      "45",
                                            "5",          "4",           "Features Promotion",
                                            "Promote N",  "Promote Q",   "Promote K"};
        switch (Pick(4)) {
        case 0:
            return QByteArray("Morvanti-CTR-") + Words[Pick(std::size(Words))] + "\n";
        case 1: {
            const auto moves = Window->ChessBrd1->LegalMoves();
            if (!moves.empty() && Chance(70)) {
                const auto [from, to] =
                    moves[static_cast<std::size_t>(Pick(static_cast<int>(moves.size())))];
                return QByteArray::fromStdString("Morvanti-MOV-" + TChessRules::SquareName(from) +
                                                 "-" + TChessRules::SquareName(to) + "\n");
            }
            return "Morvanti-MOV-E2-E4\n";
        }
        case 2:
            return QByteArray(Garbage[Pick(std::size(Garbage))]) + "\n";
        default: {
            // A burst of one request, as a hostile peer would send it.
            QByteArray burst;
            for (int i = Pick(200); i >= 0; --i)
                burst += QByteArray("Morvanti-CTR-") + Words[2 + Pick(4)] + "\n";
            return burst;
        }
        }
    }
};

TEST(RandomSession, OneProgramShrugsOffARandomPeer) {
    const quint64 seed = Seed();
    std::cout << "seed " << seed << " (BOARDWICK_SEED)" << std::endl;
    TRawSession session(seed);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < Seconds() * 1000 && !HasFatalFailure())
        session.Step();
    std::cout << session.Steps << " steps\n";
}

} // namespace
