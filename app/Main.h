#pragma once
#include "app/PlayerName.h"
#include "app/session/FoundPlayers.h"
#include "app/session/LocalAddress.h"
#include "app/session/Session.h"
#include "components/TrayShell.h"

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
class TDiscovery;
class TForm1;
class TPortGateway;
class TPortMapper;
class TSocketTransport;
struct TPortMapStatus;
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
    // Reverse lookup of the peer's address (see TSessionSeams::LookUpName). Null: the system's.
    decltype(TSessionSeams::LookUpName) PeerNameLookup;
    // Ends the program once the window has shut down. Null: the application's event loop quits.
    std::function<void()> Quit;
    // Asks the router to forward the listening port once the window is up. Off unless the program
    // asks for it, so that no test talks to a router by accident.
    bool ForwardPort = false;
    // The router seam for the forwarding; null: the real router (UPnP IGD, then NAT-PMP).
    std::function<std::unique_ptr<TPortGateway>()> PortGateway;
    // Looks for players on the local network and shows this one to them once the window is up.
    // Off unless the program asks for it, so that no test publishes itself by accident.
    bool Discover = false;
    // Where ended games are kept, one file a day. Empty: TGameAutosave::DefaultFolder().
    QString AutosaveFolder;
    // Asks the desktop to draw the player's attention to the window. Null: QApplication::alert.
    std::function<void(QWidget *window)> Alert;
    // Where the player's name is remembered, and the name when none is chosen (empty: no name, the
    // peer shows this side's address). Empty and nullopt: the user's (see TPlayerName).
    QString SettingsFile;
    std::optional<QString> AccountName;
    // Where this copy's key and its known opponents are kept. Empty: no key, links stay plain.
    QString KeyFolder;
};

// The main window: the layout and its wiring. Widget events go to the session; what the session
// shows arrives through TSessionView. The handlers keep the names of the window's events.
class TMainForm : public QWidget, private TSessionView {
  public:
    static constexpr int MaxMessageLines = 2000; // the messages window keeps the newest
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
    TTrayIcon *TrayIcon1;
    QMenu *PopupMenu1;
    QAction *Restore1, *Exit1;
    // The window's context menu: the player's name (also in the tray menu) and the draw offer,
    // which has a shortcut of its own.
    QMenu *WindowMenu1;
    QAction *YourName1, *OfferDraw1;

    TSession &Session() const { return *session_; }
    TSocketTransport &Sockets() const { return *sockets_; }

    // Lets BitBtn5 open the About box modally and its hidden setting reach the time per side; the
    // box must outlive the window's use of it.
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

    // What the player does.
    void BitBtn6Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void Button1Click();
    void Edit4KeyDown(int key);
    void BitBtn1Click();
    void BitBtn2Click();
    void Button2Click();
    void YourName1Click();
    void OfferDraw1Click();

    // The game on the board as PGN, and the move list's context menu that copies or saves it.
    void CopyGamePgn();
    void SaveGamePgn();
    QMenu *CreateMoveListMenu(); // the move list's context menu, owned by the caller
    const QString &AutosaveFolder() const { return autosaveDir_; }

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // TSessionView
    void ShowTurn(bool whiteToMove, bool boardTakesMoves) override;
    void ShowClock(bool white, const QString &text) override;
    void ShowMoveList(const QStringList &lines) override;
    void AddMessage(const QString &line) override;
    void ShowStatus(int panel, const QString &text) override;
    void ShowButtons(const TSessionButtons &buttons) override;
    void ShowOpponent(const QString &opponent, const QString &address) override;
    void CancelDrag() override;
    void ClearChatInput() override;
    void NotifyAway(TNoticeKind kind, const TNotice &notice) override;
    void ShowListening(bool listening) override;
    void ShowPrivacy(const QString &safetyCode) override;

    void BuildLayout();
    void BuildBoard();
    void BuildTray(std::unique_ptr<TTrayShell> shell);
    void BuildMoveListMenu();
    void BuildWindowMenu();
    void ShowDrawOffer(TDrawOffer offer);
    // The key in folder (made there when missing) for the transport, and the padlock.
    void LoadKey(const QString &folder, TSocketTransport &sockets);
    void StartForwarding(std::function<std::unique_ptr<TPortGateway>()> gateway);
    void ShowAddress(const TPortMapStatus &forwarding);
    void StartDiscovery(quint16 callPort);

    std::unique_ptr<TDialogs> ownDialogs_;
    QPointer<TForm1> aboutBox_;
    TDialogs *dialogsUsed_ = nullptr;
    std::function<std::optional<QStringList>()> localAddresses_;
    std::function<QList<TInterfaceAddress>()> localInterfaces_;
    std::function<void()> quit_;
    QString localAddress_;              // this machine's address as found at start-up
    TPortMapper *portMapper_ = nullptr; // while the listening port is being forwarded
    QString autosaveDir_;
    std::function<void(QWidget *)> alert_;
    TSocketTransport *sockets_ = nullptr; // owned by the session's link
    TNoticeThrottle noticeThrottle_;
    TPlayerName playerName_;
    QLabel *padlock_ = nullptr; // beside "Your opponent is :", shown while the link is private
    std::unique_ptr<TSession> session_; // goes before the board it drives

    TFoundPlayers players_;                 // what the Connect box offers
    std::unique_ptr<TDiscovery> discovery_; // while looking for players; goes first
};
