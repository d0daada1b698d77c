#include "app/Main.h"

#include "app/Dialogs.h"
#include "app/PeerLink.h"
#include "app/StatusPanels.h"

#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString Waiting = QStringLiteral("Waiting for a call ...");
} // namespace

bool TMainForm::IsServer() const {
    return Link->Role() == TPeerRole::Accepted;
}

bool TMainForm::Connected() const {
    return Link->HasPeer();
}

void TMainForm::BitBtn6Click() {
    StatusBar1->SetPanelText(2, QString());
    if (!Connected()) {
        Link->StopCalling(); // a call still under way is given up for the new one
        QString address = ConnectAddress;
        const bool confirmed = Dialogs().InputQuery(QStringLiteral("Computer to connect to"),
                                                    QStringLiteral("Address Name:"), address, 255);
        // A call that came in or a window that closed while the box was open wins over the box.
        if (!confirmed || Connected() || closing_)
            return;
        ConnectAddress = address;
        if (address.isEmpty())
            return;
        Link->Call(address);
        return;
    }
    Link->HangUp();
    // closing_ may have announced the end already.
    if (Connected())
        ConnectionClosed();
}

void TMainForm::ClientSocketConnect(TCustomWinSocket *socket) {
    ConnectedTo(socket, false, QString());
    // A slow name service must not hold the window up: the name is shown when it comes, and only
    // while this same connection lasts.
    const auto connection = Link->Serial();
    LookUpPeerName(socket->PeerAddress(), [this, connection](const QString &name) {
        if (connection != Link->Serial())
            return;
        if (!name.isEmpty())
            opponent_ = name;
        Label6->setText(name);
        Label6->adjustSize();
    });
}

void TMainForm::LookUpPeerName(const QString &address,
                               std::function<void(const QString &)> answer) {
    if (peerNameLookup_) {
        peerNameLookup_(address, std::move(answer));
        return;
    }
    // The window is the context: an answer that comes after it is gone is dropped.
    QHostInfo::lookupHost(
        address, this, [address, answer = std::move(answer)](const QHostInfo &info) {
            const bool named = info.error() == QHostInfo::NoError && info.hostName() != address;
            answer(named ? info.hostName() : QString());
        });
}

void TMainForm::ClientSocketDisconnect(TCustomWinSocket *socket) {
    if (Connected() && !Link->IsCurrent(socket))
        return;
    ConnectionClosed();
}

void TMainForm::ClientSocketError(TCustomWinSocket *, int &errorCode) {
    StatusBar1->SetPanelText(2, QStringLiteral("Call error ..."));
    errorCode = 0;
}

void TMainForm::ServerSocketClientConnect(TCustomWinSocket *socket) {
    if (Connected() && !Link->IsCurrent(socket)) {
        Link->Refuse(socket);
        return;
    }
    Edit4->clear();
}

void TMainForm::ServerSocketAccept(TCustomWinSocket *socket) {
    if (Link->IsRefused(socket))
        return;
    ConnectedTo(socket, true, socket->PeerAddress());
}

void TMainForm::ServerSocketClientDisconnect(TCustomWinSocket *socket) {
    if (Link->IsRefused(socket) || (Connected() && !Link->IsCurrent(socket)))
        return;
    ConnectionClosed();
}

void TMainForm::ServerSocketClientError(TCustomWinSocket *socket, int &errorCode) {
    errorCode = 0;
    if (Link->IsRefused(socket))
        return;
    StatusBar1->SetPanelText(2, QStringLiteral("Call error ..."));
}

// A new connection starts with no game: nothing of an earlier one carries over but the board's
// picture and the step switch.
void TMainForm::ConnectedTo(TCustomWinSocket *peer, bool accepted, const QString &opponent) {
    Link->Attach(peer, accepted ? TPeerRole::Accepted : TPeerRole::Called);
    Game.Phase = TGamePhase::None;
    opponent_ = peer->PeerAddress();
    Label6->setText(opponent);
    Label6->adjustSize();
    StatusBar1->SetPanelText(2, QString());
    BitBtn6->setText(QStringLiteral("Disconnect"));
    SetStepButtons(true);
}

// Back to waiting: whichever side closed, the game ends without a line sent and the listener
// is on again (it was off while calling out).
void TMainForm::ConnectionClosed() {
    Link->Detach();
    EndGame(TEndTrigger::ConnectionLost);
    Game.Phase = TGamePhase::None;
    if (!closing_ && StartListening())
        StatusBar1->SetPanelText(2, Waiting);
    Label6->setText(QStringLiteral("None"));
    Label6->adjustSize();
    BitBtn6->setText(QStringLiteral("Connect"));
    SetStepButtons(false);
}

void TMainForm::SetStepButtons(bool on) {
    for (QPushButton *button : {BitBtn1, BitBtn2, Button2})
        button->setEnabled(on);
}

bool TMainForm::StartListening() {
    try {
        Link->Listen();
        return true;
    } catch (const std::exception &failure) {
        // A taken port is reported; the window goes on, able to call out.
        Dialogs().ShowException(failure);
        return false;
    }
}
