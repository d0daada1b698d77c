#include "tests/session/SessionFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

namespace session_test {

bool WaitUntil(const std::function<bool()> &cond, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > timeoutMs)
            return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(1);
    }
    return true;
}

bool TBoxes::InputQuery(const QString &caption, const QString &prompt, QString &text,
                        int maxLength) {
    inputsShown_ << QStringList{caption, prompt, text};
    return Script.InputQuery(caption, prompt, text, maxLength);
}

QStringList TBoxes::Texts(ShownBox::Kind kind) const {
    QStringList texts;
    for (const ShownBox &box : Script.Shown)
        if (box.Type == kind)
            texts << box.Text;
    return texts;
}

TWindow::TWindow(quint16 callPort, quint16 listenPort,
                 const std::function<void(TMainFormSeams &)> &adjust) {
    TMainFormSeams seams;
    seams.ListenPort = listenPort;
    seams.CallPort = callPort;
    seams.Dialogs = &Boxes;
    seams.LocalAddresses = [] { return std::optional<QStringList>(QStringList{"127.0.0.1"}); };
    seams.LocalInterfaces = [] { return QList<TInterfaceAddress>{}; };
    seams.Quit = [this] { ++Quits; };
    // Ended games are kept in a folder of the test run's own, never in the user's.
    static QTemporaryDir games;
    seams.AutosaveFolder = games.path();
    // Windows have no player name unless a test gives one: they show each other's addresses.
    static int windows = 0;
    seams.SettingsFile = games.filePath(QStringLiteral("settings-%1.conf").arg(++windows));
    seams.AccountName = QString();
    if (adjust)
        adjust(seams);
    Form = std::make_unique<TMainForm>(std::move(seams));
    Form->show();
}

TWindow::~TWindow() {
    if (Form)
        Form->close();
}

QStringList TWindow::MoveList() const {
    const QString text = Form->Memo->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}

QStringList TWindow::Messages() const {
    // An empty box and a box holding one empty line look alike; tests add a line first.
    const QString text = Form->Memo1->toPlainText();
    return text.isEmpty() && Form->Memo1->document()->blockCount() == 1
               ? QStringList{}
               : text.split(QLatin1Char('\n'));
}

TPair::TPair(const std::function<void(TMainFormSeams &)> &adjustCaller)
    : Caller(Listener->ListeningPort(), 0, adjustCaller) {}

bool TPair::Connect() {
    Caller.Boxes.AnswerInput(QStringLiteral("127.0.0.1"));
    Caller->BitBtn6Click();
    return WaitUntil([&] { return Listener.Connected() && Caller.Connected(); });
}

bool TPair::StartGame() {
    Listener->BitBtn3Click();
    return WaitUntil([&] { return Caller.InGame(); });
}

QPoint SquareCentre(const TChessBrd *board, const char *square) {
    const Square sq = TChessRules::SquareAt(square[0] - 'A' + 1, square[1] - '0');
    return board->SquareRect(sq).center();
}

THeldDrag::THeldDrag(TChessBrd *board, const char *from)
    : Board(board), Start(SquareCentre(board, from)) {
    QTest::mousePress(board, Qt::LeftButton, Qt::NoModifier, Start);
    // Past the 5-pixel threshold: the drag is active.
    QTest::mouseMove(board, Start + QPoint(6, 6));
}

void THeldDrag::Release(const char *to) {
    const QPoint end = to ? SquareCentre(Board, to) : Start;
    QTest::mouseMove(Board, end);
    QTest::mouseRelease(Board, Qt::LeftButton, Qt::NoModifier, end);
}

void Drag(TChessBrd *board, const char *from, const char *to) {
    THeldDrag(board, from).Release(to);
}

void ClickSquare(TChessBrd *board, const char *square) {
    const QPoint at = SquareCentre(board, square);
    QTest::mousePress(board, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(board, Qt::LeftButton, Qt::NoModifier, at);
}

bool PlayMoves(TPair &pair, const std::vector<std::pair<const char *, const char *>> &moves) {
    for (const auto &[from, to] : moves) {
        TWindow &mover = pair.Listener->ChessBrd1->WhiteToMove() ? pair.Listener : pair.Caller;
        TWindow &other = &mover == &pair.Listener ? pair.Caller : pair.Listener;
        if (!mover.BoardEnabled())
            return false;
        const auto before = other->ChessBrd1->Position();
        Drag(mover->ChessBrd1, from, to);
        if (!WaitUntil([&] {
                return other->ChessBrd1->Position() == mover->ChessBrd1->Position() &&
                       other->ChessBrd1->Position() != before;
            }))
            return false;
    }
    return true;
}

TRawPeer::TRawPeer(TWindow &window) : Window(window) {
    QObject::connect(&Socket, &QTcpSocket::readyRead, &Socket, [this] {
        Partial += Socket.readAll();
        qsizetype feed;
        while ((feed = Partial.indexOf('\n')) >= 0) {
            Received << Partial.left(feed);
            Partial.remove(0, feed + 1);
        }
    });
    Socket.connectToHost(QHostAddress::LocalHost, window->ListeningPort());
    WaitUntil([&] { return window.Connected(); });
}

void TRawPeer::Send(const QByteArray &bytes) {
    Socket.write(bytes);
    Socket.flush();
}

bool TRawPeer::Sync(const QString &marker) {
    Send("Morvanti-TXT-" + marker.toUtf8() + "\n");
    return WaitUntil(
        [&] { return !Window.Messages().isEmpty() && Window.Messages().last() == marker; }, 20000);
}

bool TRawPeer::Expect(const QByteArray &expected) {
    return WaitUntil([&] { return Received.contains(expected); });
}

} // namespace session_test
