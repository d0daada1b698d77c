#pragma once
#include "app/GameState.h"
#include "app/LocalAddress.h"
#include "app/PeerProtocol.h"
#include "components/TrayShell.h"

#include <QDate>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class TChessBrd;
class TClientSocket;
class TCustomWinSocket;
class TDialogs;
class TForm1;
class TPeerLink;
class TPortGateway;
class TPortMapper;
struct TPortMapStatus;
class TPreciseTimer;
class TServerSocket;
class TStatusPanels;
class TTrayIcon;

// What a test replaces; the program uses the defaults.
struct TMainFormSeams {
    quint16 ListenPort = 1024;   // 0: any free port (see ListeningPort)
    quint16 CallPort = 1024;     // port called by Connect
    TDialogs *Dialogs = nullptr; // not owned; null: the real boxes
    // The local host's IPv4 addresses in resolver order; nullopt when the name does not resolve.
    std::function<std::optional<QStringList>()> LocalAddresses;
    // Every interface address in the system's order; asked only when the resolver gave a loopback.
    std::function<QList<TInterfaceAddress>()> LocalInterfaces;
    std::unique_ptr<TTrayShell> TrayShell; // null: the desktop's notification area
    // Starts a reverse lookup of a dotted address and later calls answer with the name, or with an
    // empty text when it has none. Null: the system's asynchronous lookup.
    std::function<void(const QString &address, std::function<void(const QString &name)> answer)>
        PeerNameLookup;
    // Ends the program once the window has shut down. Null: the application's event loop quits.
    std::function<void()> Quit;
    // Asks the router to forward the listening port once the window is up. Off unless the program
    // asks for it, so that no test talks to a router by accident.
    bool ForwardPort = false;
    // The router seam for the forwarding; null: the real router (UPnP IGD, then NAT-PMP).
    std::function<std::unique_ptr<TPortGateway>()> PortGateway;
    // Where ended games are kept, one file a day. Empty: TGameAutosave::DefaultFolder().
    QString AutosaveFolder;
    // Asks the desktop to draw the player's attention to the window. Null: QApplication::alert.
    std::function<void(QWidget *window)> Alert;
};

// The main window: board, clocks, move list, chat, connection and the session with the peer.
// Its handlers keep the names of the window's events; tests drive them directly or by input.
class TMainForm : public QWidget {
  public:
    explicit TMainForm(TMainFormSeams seams = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Controls, named as in the layout.
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6;
    QPushButton *Button1, *Button2;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7;
    QLineEdit *Edit1, *Edit2, *Edit4;
    QPlainTextEdit *Memo, *Memo1;
    TStatusPanels *StatusBar1;
    TChessBrd *ChessBrd1;
    TPreciseTimer *Timer1;
    TClientSocket *ClientSocket;
    TServerSocket *ServerSocket;
    TTrayIcon *TrayIcon1;
    QMenu *PopupMenu1;
    QAction *Restore1, *Exit1;
    TPeerLink *Link; // the connection to the peer

    // Session state.
    int TimePerSide = 0;
    std::string MessageTag;
    TGameState Game;
    QString ConnectAddress;
    int WhiteMinutes = 0, WhiteSeconds = 0, BlackMinutes = 0, BlackSeconds = 0;
    // The current (or last) connection was accepted by the local listener.
    bool IsServer() const;
    bool Connected() const;

    // Lets BitBtn5 open the About box modally and its hidden setting reach TimePerSide; the box
    // must outlive the window's use of it.
    void AttachAboutBox(TForm1 *box);

    // Port the listener is bound to now (0 when not listening).
    quint16 ListeningPort() const;
    TDialogs &Dialogs() const { return *dialogsUsed_; }

    // Start-up and shut-down.
    void FormCreate();
    void FormClose();
    QString GetLocalIPAddress() const;
    void Restore1Click();
    void Exit1Click();
    void BitBtn5Click();

    // Protocol.
    void CheckCommand(const std::string &line);
    bool StrToMove(const std::string &moveText);

    // Connections.
    void BitBtn6Click();
    void ClientSocketConnect(TCustomWinSocket *socket);
    void ClientSocketDisconnect(TCustomWinSocket *socket);
    void ClientSocketRead(TCustomWinSocket *socket);
    void ClientSocketError(TCustomWinSocket *socket, int &errorCode);
    void ServerSocketClientConnect(TCustomWinSocket *socket);
    void ServerSocketAccept(TCustomWinSocket *socket);
    void ServerSocketClientDisconnect(TCustomWinSocket *socket);
    void ServerSocketClientRead(TCustomWinSocket *socket);
    void ServerSocketClientError(TCustomWinSocket *socket, int &errorCode);

    // Game session.
    void CheckMoves();
    void UpdateMove();
    void BitBtn3Click();
    void BitBtn4Click();
    void OnEndDrag();
    void Button1Click();
    void ChessBrd1Check();
    void ChessBrd1Castle();
    void ChessBrd1Mate();

    // The game on the board as PGN, and the move list's context menu that copies or saves it.
    std::string GamePgnText() const;
    void CopyGamePgn();
    void SaveGamePgn();
    QMenu *CreateMoveListMenu(); // the move list's context menu, owned by the caller
    const QString &AutosaveFolder() const { return autosaveDir_; }

    // Clocks, chat and stepping.
    void Timer1Timer();
    void Edit4KeyDown(int key);
    void BitBtn1Click();
    void BitBtn2Click();
    void Button2Click();

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void BuildLayout();
    void BuildBoard();
    void DetachBoard();
    void BuildTray(std::unique_ptr<TTrayShell> shell);
    void ConnectSockets();
    void ConnectLink();
    void Dispatch(const TPeerLine &line);
    bool Arrived(const TPeerLine &line);
    void RunControl(TControlWord word);
    void StartGame(bool playWhite);
    void ReceivedNew();
    void ShowClocks();
    void ConnectionClosed();
    bool StartListening();
    void ConnectedTo(TCustomWinSocket *peer, bool accepted, const QString &opponent);
    void LookUpPeerName(const QString &address, std::function<void(const QString &)> answer);
    void SetStepButtons(bool on);
    void StepBoard(bool back);
    void AnswerRequest(TAskKind kind);
    void ShowRefusal(TAskKind kind);
    void SwitchSteps(bool off);
    void DrawNotice(const QString &text);
    void LocalMoveDone();
    void Release();
    void StartForwarding(std::function<std::unique_ptr<TPortGateway>()> gateway);
    void ShowAddress(const TPortMapStatus &forwarding);
    char PromotionFor();
    void EndGame(TEndTrigger trigger);
    void ResignWith(TEndTrigger trigger);
    void KeepEndedGame();
    void BuildMoveListMenu();
    void NotifyAway(const TNotice &notice);

    std::unique_ptr<TDialogs> ownDialogs_;
    QPointer<TForm1> aboutBox_;
    TDialogs *dialogsUsed_ = nullptr;
    std::function<std::optional<QStringList>()> localAddresses_;
    std::function<QList<TInterfaceAddress>()> localInterfaces_;
    decltype(TMainFormSeams::PeerNameLookup) peerNameLookup_;
    std::function<void()> quit_;
    QString localAddress_;              // this machine's address as found at start-up
    TPortMapper *portMapper_ = nullptr; // while the listening port is being forwarded
    bool closing_ = false;              // the window is closing: nothing listens again
    QString autosaveDir_;
    std::function<void(QWidget *)> alert_;
    QString opponent_; // the peer's name, else its address; kept for the last game's record
    QDate gameDate_;   // the day the game on the board started
};
