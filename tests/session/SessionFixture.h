#pragma once
// Helpers for session tests: windows with scripted boxes on free loopback ports, waiting on
// conditions, simulated drags and a raw socket that plays a peer.
#include "app/Main.h"
#include "app/StatusPanels.h"
#include "app/session/PreciseTimer.h"
#include "app/session/SocketTransport.h"
#include "board/ChessBrd.h"
#include "net/ScktComp.h"
#include "tests/common/ScriptedDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <string>

namespace session_test {

// Processes events until cond holds or timeoutMs passes; answers cond().
bool WaitUntil(const std::function<bool()> &cond, int timeoutMs = 5000);

// Scripted boxes that also keep the text each input box started with.
class TBoxes final : public TDialogs {
  public:
    void Notice(const QString &text) override { Script.Notice(text); }
    bool Confirm(const QString &text) override { return Script.Confirm(text); }
    void Refusal(const QString &text) override { Script.Refusal(text); }
    void ErrorBox(const QString &text) override { Script.ErrorBox(text); }
    bool InputQuery(const QString &caption, const QString &prompt, QString &text,
                    int maxLength) override;
    char ChoosePromotion(bool white) override { return Script.ChoosePromotion(white); }
    QString SaveFileName(const QString &caption, const QString &suggested,
                         const QString &filter) override {
        return Script.SaveFileName(caption, suggested, filter);
    }

    void AnswerConfirm(bool yes) { Script.Answer(yes); }
    // nullopt: Cancel.
    void AnswerInput(const std::optional<QString> &text) {
        Script.Answer(text.has_value(), text.value_or(QString()));
    }

    QStringList Notices() const { return Texts(ShownBox::Kind::Notice); }
    QStringList Confirms() const { return Texts(ShownBox::Kind::Confirm); }
    QStringList Refusals() const { return Texts(ShownBox::Kind::Refusal); }
    QStringList Errors() const { return Texts(ShownBox::Kind::ErrorBox); }
    QStringList Promotions() const { return Texts(ShownBox::Kind::Promotion); }
    // Caption, prompt and starting text of every input box.
    const QList<QStringList> &Inputs() const { return inputsShown_; }
    QStringList Log() const { return Script.Log(); }
    // Every box but the address box: what the user was told or asked.
    QStringList Told() const {
        return Log().filter(QRegularExpression(QStringLiteral("^(?!Input\\|)")));
    }

    ScriptedDialogs Script;

  private:
    QStringList Texts(ShownBox::Kind kind) const;
    QList<QStringList> inputsShown_;
};

// A main window with scripted boxes, listening on a free port, resolving to 127.0.0.1.
struct TWindow {
    // adjust: changes to the seams before the window is made.
    explicit TWindow(quint16 callPort = 1024, quint16 listenPort = 0,
                     const std::function<void(TMainFormSeams &)> &adjust = {});
    ~TWindow();
    TMainForm *operator->() const { return Form.get(); }
    TMainForm &operator*() const { return *Form; }

    QString Panel(int index) const { return Form->StatusBar1->PanelText(index); }
    QStringList MoveList() const;
    QStringList Messages() const;
    bool Connected() const { return Form->BitBtn6->text() == QStringLiteral("Disconnect"); }
    bool BoardEnabled() const { return Form->ChessBrd1->isEnabled(); }
    bool InGame() const { return Form->BitBtn4->isEnabled() && !Form->BitBtn3->isEnabled(); }

    TBoxes Boxes;
    int Quits = 0; // times the window asked the program to end
    std::unique_ptr<TMainForm> Form;
};

// Two windows on loopback; Caller calls Listener through the address box.
struct TPair {
    explicit TPair(const std::function<void(TMainFormSeams &)> &adjustCaller = {});
    // Connects Caller to Listener and waits for both to show "Disconnect".
    bool Connect();
    // Listener (White) starts a game; waits until Caller has it too.
    bool StartGame();
    TWindow Listener;
    TWindow Caller;
};

// Drags a piece on the board with simulated mouse input, e.g. Drag(board, "E2", "E4").
void Drag(TChessBrd *board, const char *from, const char *to);
// A piece picked up and held past the drag threshold until Release: events go on meanwhile.
struct THeldDrag {
    THeldDrag(TChessBrd *board, const char *from);
    // Drops on the square (or lets go where it was picked up).
    void Release(const char *to = nullptr);
    TChessBrd *Board;
    QPoint Start;
};
// Presses and releases on one square without moving: a click that cancels.
void ClickSquare(TChessBrd *board, const char *square);
// Centre of a square in the board's client pixels.
QPoint SquareCentre(const TChessBrd *board, const char *square);

// Plays the half-moves in turn by drags on whichever window has the side to move, waiting for
// each move to reach the other board. White is the listener's.
bool PlayMoves(TPair &pair, const std::vector<std::pair<const char *, const char *>> &moves);

// The line a window sends first on every connection: what it understands.
inline const QByteArray Announcement = "Morvanti-CTR-Features Promotion Numbered Resume Name Draw";

// A raw socket acting as the peer of one window.
struct TRawPeer {
    // Connects to the window's listener and waits until the window has accepted it.
    explicit TRawPeer(TWindow &window);
    void Send(const QByteArray &bytes);
    // Sends a chat line and waits until the window shows it: every earlier byte was handled.
    bool Sync(const QString &marker);
    // Waits until the window has sent a line equal to expected (without its feed).
    bool Expect(const QByteArray &expected);
    QList<QByteArray> Received;
    TWindow &Window;
    QTcpSocket Socket;
    QByteArray Partial;
};

} // namespace session_test
