// Seeded random sessions in process: two sessions, or one and a raw peer, driven through random
// sequences of local actions, peer lines, clock ticks, box answers and disconnects, with further
// steps running while a box is open or a piece is held. Invariants are checked after every step.
//   BOARDWICK_SEED     the seed (printed; default: from the clock)
//   BOARDWICK_SECONDS  how long each test runs (default 3)
#include "tests/session/InProcess.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

namespace {
using namespace inproc;

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
    virtual ~TRandomSession() = default;
    virtual void Step() = 0;

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
    // A few more steps while something is held open.
    void Meanwhile(int most) {
        if (Depth >= 3)
            return;
        ++Depth;
        for (int i = Pick(most); i > 0; --i)
            Step();
        --Depth;
    }

    // Every box of a player answered at random, after a few more steps run while it is open.
    void Drive(TPlayer &p) {
        p.Boxes.RunLoops = true;
        p.Boxes.Answerer = [this](ShownBox::Kind kind, const QString &text) {
            ScriptedAnswer answer{Chance(50) || kind == ShownBox::Kind::Input,
                                  QStringLiteral("127.0.0.1"), [this] { Meanwhile(4); }};
            if (kind == ShownBox::Kind::Promotion)
                answer.Text = QString(QLatin1Char("QRBN"[Pick(4)]));
            Say("box", text.toStdString() + (answer.Accept ? " yes" : " no"));
            return answer;
        };
    }

    // The invariants that hold in every state, inside boxes included.
    static void Check(TPlayer &p) {
        std::map<std::pair<int, QString>, int> open;
        for (const auto *box : p.Boxes.Open())
            ASSERT_LE(++open[std::make_pair(static_cast<int>(box->Type), box->Text)], 1)
                << "two boxes at once: " << box->Text.toStdString();
        ASSERT_LE(p.Boxes.Open().size(), 6u);
        if (p->ClockRunning()) {
            ASSERT_TRUE(p->GameRunning()) << "a clock runs outside a game";
        }
        ASSERT_LE(p->Link().Queued(), TPeerLink::MaxQueued);
    }

    const char *Who(TPlayer &p) { return p->IsServer() == p->Connected() ? "L" : "C"; }

    // What a player can do while no box of its own is open.
    void LocalAction(TPlayer &p) {
        if (!p.Boxes.Open().empty() || p.Holding)
            return;
        if (Chance(8)) // now and then a draw offer, or a new name
            return Chance(75) ? p->OfferDraw() : p->SetPlayerName(QString::number(Steps));
        const int action = Pick(12);
        static const char *const names[] = {"new",    "resign",    "move",     "move",
                                            "move",   "held move", "ask back", "ask forward",
                                            "switch", "chat",      "tick",     "flag"};
        Say(Who(p), names[action]);
        const TSessionButtons &b = p.View.Buttons;
        switch (action) {
        case 0:
            return p->NewGame();
        case 1:
            return b.Resign && Chance(30) ? p->Resign() : void();
        case 2:
        case 3:
        case 4:
            return PlayRandomMove(p, false);
        case 5:
            return PlayRandomMove(p, true);
        case 6:
        case 7:
            return b.StepAsks ? p->AskStep(action == 6) : void();
        case 8:
            return b.StepSwitch && Chance(30) ? p->AskStepSwitch() : void();
        case 9:
            return p->Chat(QStringLiteral("chat %1").arg(Steps));
        case 10:
            return p->ClockRunning() ? p->Timer1Timer() : void();
        default:
            if (p->ClockRunning() && Chance(10)) { // the flag of the side to move falls
                p->SetClock(p.Board.WhiteToMove(), {0, 0});
                p->Timer1Timer();
            }
        }
    }

    void PlayRandomMove(TPlayer &p, bool holdAWhile) {
        const auto moves = p.Board.LegalMoves();
        if (!p.View.TakesMoves || moves.empty())
            return;
        const auto [from, to] =
            moves[static_cast<std::size_t>(Pick(static_cast<int>(moves.size())))];
        const std::string fromName = TChessRules::SquareName(from),
                          toName = TChessRules::SquareName(to);
        Say(Who(p), "picks up " + fromName);
        p.Take();
        if (holdAWhile)
            Meanwhile(3);
        // A piece put back where it was taken, or dropped where it may no longer go.
        const bool drop = Chance(90);
        Say(Who(p), (drop ? "drop " : "put back ") + fromName + "-" + toName);
        p.Drop(drop ? fromName.c_str() : nullptr, toName.c_str());
    }
};

// Two sessions: besides the invariants above, their boards and records agree whenever the
// session is quiet.
class TPairSession final : public TRandomSession {
  public:
    explicit TPairSession(quint64 seed) : TRandomSession(seed) {
        if (Chance(50)) { // over the encrypted link
            T.Listener.Transport->Fingerprint = QString(64, QLatin1Char('a'));
            T.Caller.Transport->Fingerprint = QString(64, QLatin1Char('b'));
        }
        EXPECT_TRUE(T.Connect());
        Drive(T.Listener);
        Drive(T.Caller);
    }
    TTable T;
    int Compared = 0; // quiet points at which the boards were compared

    void Step() override {
        ++Steps;
        TPlayer &p = Chance(50) ? T.Listener : T.Caller;
        TPlayer &other = &p == &T.Listener ? T.Caller : T.Listener;
        const int kind = Pick(20);
        if (kind < 14) {
            LocalAction(p);
        } else if (kind < 17) {
            // A broken line from the peer: changes nothing.
            if (auto *end = other->Link().Current()) {
                const char *line = Garbage[Pick(std::size(Garbage))];
                Say(Who(other), std::string("garbage ") + line);
                end->Write(QByteArray(line) + "\n");
            }
        } else if (kind < 18 && Chance(25)) {
            if (p->Connected() && p.Boxes.Open().empty()) {
                Say(Who(p), "disconnect");
                p->ConnectOrDisconnect();
            }
        } else if (kind < 18 && Chance(10)) {
            if (T.Caller->Link().Current()) { // the line breaks, loudly or silently
                const bool silently = Chance(50);
                Say("-", silently ? "vanish" : "cut");
                T.Cut(silently);
            }
        } else if (!T.Listener->Connected() && !T.Caller->Connected() &&
                   T.Caller.Boxes.Open().empty()) {
            Say("C", "call");
            T.Caller->ConnectOrDisconnect(); // the address box is answered
        }
        // What one side did reaches the other before anyone acts again: two people cannot both
        // act within the same instant.
        T.Wire.Deliver();
        T.Pass(3000);
        for (TPlayer *player : {&T.Listener, &T.Caller})
            Check(*player);
    }

    // Quiet: no box open, both connected, every line delivered and dispatched.
    void CheckAgreement() {
        T.Wire.Deliver();
        if (!T.Listener->Connected() || !T.Caller->Connected() ||
            T.Listener->Phase() == TGamePhase::None || T.Caller->Phase() == TGamePhase::None ||
            T.Listener->Suspended() || T.Caller->Suspended() ||
            static_cast<TMemoryConnection *>(T.Caller->Link().Current())->Severed())
            return; // a new connection before its first game: the boards show older games
        ASSERT_EQ(T.Listener->Link().Queued() + T.Caller->Link().Queued(), 0u) << "step " << Steps;
        const TChessRules &a = T.Listener.Board, &b = T.Caller.Board;
        ASSERT_EQ(a.Position(), b.Position()) << "boards differ at step " << Steps;
        ASSERT_EQ(a.WhiteToMove(), b.WhiteToMove()) << "step " << Steps;
        // The last line is the slot of the half-move still to be played, which may hold an entry
        // left from an earlier game.
        ASSERT_EQ(T.Listener.View.MoveList, T.Caller.View.MoveList)
            << "records differ at step " << Steps;
        ++Compared;
        if (T.Listener->GameRunning() && T.Caller->GameRunning()) {
            ASSERT_NE(T.Listener->PlaysWhite(), T.Caller->PlaysWhite()) << "step " << Steps;
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

// One session and a raw peer sending random lines, valid and not.
class TRawSession final : public TRandomSession {
  public:
    explicit TRawSession(quint64 seed)
        : TRandomSession(seed), P(Wire, QStringLiteral("127.0.0.1")) {
        if (Chance(50)) // a key: the raw peer's upgrade lines start handshakes it then breaks
            P.Transport->Fingerprint = QString(64, QLatin1Char('a'));
        Peer = P.Transport->AcceptRaw(QStringLiteral("127.0.0.1"));
        Drive(P);
    }
    TWire Wire;
    TPlayer P;
    TMemoryConnection *Peer;

    void Step() override {
        ++Steps;
        const int kind = Pick(10);
        if (kind < 4) {
            LocalAction(P);
        } else if (kind < 9) {
            Peer->Write(RandomLine());
        } else if (Chance(20)) {
            Peer->Close(); // the old one is gone, a new one calls
            Wire.Deliver();
            Peer = P.Transport->AcceptRaw(QStringLiteral("127.0.0.1"));
        }
        Wire.Deliver();
        Peer->Take();
        Check(P);
    }

    QByteArray RandomLine() {
        static const char *const Words[] = {"Resign",     "New",         "AskBack",
                                            "AskForward", "BackFail",    "ForwardFail",
                                            "Back",       "Forward",     "WardAskOff",
                                            "WardAskOn",  "WardOffFail", "WardOnFail",
                                            "WardOff",    "WardOn",      "45",
                                            "5",          "4",           "Features Promotion",
                                            "Promote N",  "Promote Q",   "Promote K",
                                            "StartTls",   "TlsReady",    "Features Tls"};
        // Later lines, with and without the announcement that makes them count.
        static const auto Later =
            QByteArray("Features Resume|Beat|Leave|ResumeFail|Game 0123456789abcdef|"
                       "Resume 0123456789abcdef0123456789abcdef 3 2700 89abcdef|"
                       "Features Promotion Numbered Name Draw|Name Rex|"
                       "Name <b>\x01\xe2\x80\xae|New 1 45|DrawOffer 1 0|"
                       "DrawOffer 1 1|DrawAccept 1 0|DrawDecline 1 0")
                .split('|');
        switch (Pick(4)) {
        case 0:
            if (Chance(30))
                return "Morvanti-CTR-" + Later[Pick(static_cast<int>(Later.size()))] + "\n";
            return QByteArray("Morvanti-CTR-") + Words[Pick(std::size(Words))] + "\n";
        case 1: {
            const auto moves = P.Board.LegalMoves();
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
