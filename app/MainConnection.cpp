#include "Main.h"

#include "Dialogs.h"
#include "StatusPanels.h"
#include "net/ScktComp.h"

#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString ConnectCaption = QStringLiteral("Connect");
const QString DisconnectCaption = QStringLiteral("Disconnect");
const QString Waiting = QStringLiteral("Waiting for a call ...");
} // namespace

void TMainForm::BitBtn6Click() {
    StatusBar1->SetPanelText(2, QString());
    if (BitBtn6->text() == ConnectCaption) {
        ServerSocket->SetActive(false);
        if (ClientSocket->Active())
            ClientSocket->SetActive(false);
        QString address = ConnectAddress;
        const bool confirmed = Dialogs().InputQuery(QStringLiteral("Computer to connect to"),
                                                    QStringLiteral("Address Name:"), address, 255);
        if (!confirmed)
            return;
        ConnectAddress = address;
        if (address.isEmpty())
            return;
        ClientSocket->SetHost(address);
        ClientSocket->SetActive(true);
        return;
    }
    if (IsServer)
        ServerSocket->SetActive(false);
    else
        ClientSocket->SetActive(false);
    ConnectionClosed();
}

void TMainForm::ClientSocketConnect(TCustomWinSocket *socket) {
    IsServer = false;
    ConnectedTo(socket, QString());
    // A slow name service must not hold the window up: the name is shown when it comes, and only
    // while this same connection lasts.
    const quint64 connection = ConnectionSerial;
    LookUpPeerName(socket->PeerAddress(), [this, connection](const QString &name) {
        if (connection != ConnectionSerial || !PeerSocket)
            return;
        Label6->setText(name);
        Label6->adjustSize();
    });
}

void TMainForm::LookUpPeerName(const QString &address,
                               std::function<void(const QString &)> answer) {
    if (PeerNameLookup) {
        PeerNameLookup(address, std::move(answer));
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
    if (PeerSocket && socket != PeerSocket)
        return;
    ConnectionClosed();
}

void TMainForm::ClientSocketError(TCustomWinSocket *, int &errorCode) {
    StatusBar1->SetPanelText(2, QStringLiteral("Call error ..."));
    errorCode = 0;
}

void TMainForm::ServerSocketClientConnect(TCustomWinSocket *socket) {
    if (PeerSocket && socket != PeerSocket) {
        Refuse(socket);
        return;
    }
    Edit4->clear();
}

void TMainForm::ServerSocketAccept(TCustomWinSocket *socket) {
    if (IsRefused(socket))
        return;
    IsServer = true;
    ConnectedTo(socket, socket->PeerAddress());
}

void TMainForm::ServerSocketClientDisconnect(TCustomWinSocket *socket) {
    if (IsRefused(socket) || (PeerSocket && socket != PeerSocket))
        return;
    ConnectionClosed();
}

void TMainForm::ServerSocketClientError(TCustomWinSocket *socket, int &errorCode) {
    errorCode = 0;
    if (IsRefused(socket))
        return;
    StatusBar1->SetPanelText(2, QStringLiteral("Call error ..."));
}

void TMainForm::ConnectedTo(TCustomWinSocket *peer, const QString &opponent) {
    PeerSocket = peer;
    ++ConnectionSerial;
    PeerFramer.Clear();
    Label6->setText(opponent);
    Label6->adjustSize();
    StatusBar1->SetPanelText(2, QString());
    BitBtn6->setText(DisconnectCaption);
    SetStepButtons(true);
}

// Back to waiting: whichever side closed, the game ends without a line sent and the listener
// is on again (it was off while calling out).
void TMainForm::ConnectionClosed() {
    PeerSocket = nullptr;
    ++ConnectionSerial;
    PeerFramer.Clear();
    if (!Closing && StartListening())
        StatusBar1->SetPanelText(2, Waiting);
    Label6->setText(QStringLiteral("None"));
    Label6->adjustSize();
    BitBtn6->setText(ConnectCaption);
    EndGame();
    SetStepButtons(false);
}

void TMainForm::SetStepButtons(bool on) {
    for (QPushButton *button : {BitBtn1, BitBtn2, Button2})
        button->setEnabled(on);
}

// A caller beyond the one peer: closed as soon as the listener has finished announcing it;
// until then its events change nothing.
void TMainForm::Refuse(TCustomWinSocket *socket) {
    Refused.append(socket);
    QTimer::singleShot(0, socket, [socket] { socket->Close(); });
}

bool TMainForm::StartListening() {
    if (ServerSocket->Active())
        return true;
    try {
        ServerSocket->SetActive(true);
        return true;
    } catch (const std::exception &failure) {
        // A taken port is reported; the window goes on, able to call out.
        Dialogs().ShowException(failure);
        return false;
    }
}

bool TMainForm::IsRefused(TCustomWinSocket *socket) {
    Refused.removeAll(QPointer<TCustomWinSocket>());
    return Refused.contains(socket);
}
