#include "tests/net/NetHarness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTest>
#include <algorithm>

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

void DrainPosted() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

quint16 ClosedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

namespace {
std::string ErrorText(TErrorEvent kind, int code) {
    return "Error:" + std::to_string(static_cast<int>(kind)) + ":" + std::to_string(code);
}
} // namespace

void EventLog::Watch(TClientSocket &client, const std::string &prefix) {
    auto record = [this, prefix](const char *name) {
        return [this, prefix, name](QObject *, TCustomWinSocket *) {
            Events.push_back(prefix + name);
        };
    };
    client.OnLookup = record("Lookup");
    client.OnConnecting = record("Connecting");
    client.OnConnect = record("Connect");
    client.OnDisconnect = record("Disconnect");
    client.OnRead = [this, prefix](QObject *, TCustomWinSocket *socket) {
        Events.push_back(prefix + "Read");
        Chunks.push_back(socket->ReceiveAvailable().toStdString());
    };
    client.OnWrite = record("Write");
    client.OnError = [this, prefix](QObject *, TCustomWinSocket *, TErrorEvent kind, int &code) {
        Events.push_back(prefix + ErrorText(kind, code));
        if (ClearErrors)
            code = 0;
    };
}

void EventLog::Watch(TServerSocket &server, const std::string &prefix) {
    // Connection events carry the list size so that the moment of adding and removing is checked.
    auto record = [this, prefix, &server](const char *name) {
        return [this, prefix, name, &server](QObject *, TCustomWinSocket *) {
            Events.push_back(prefix + name + "#" +
                             std::to_string(server.WinSocket()->ConnectionCount()));
        };
    };
    server.OnListen = [this, prefix, &server](QObject *, TCustomWinSocket *) {
        Events.push_back(prefix + (server.Active() ? "Listen(active)" : "Listen(inactive)"));
    };
    server.OnClientConnect = record("ClientConnect");
    server.OnAccept = record("Accept");
    server.OnClientDisconnect = record("ClientDisconnect");
    server.OnClientRead = [this, prefix, &server](QObject *, TCustomWinSocket *socket) {
        Events.push_back(prefix + "ClientRead#" +
                         std::to_string(server.WinSocket()->ConnectionCount()));
        Chunks.push_back(socket->ReceiveAvailable().toStdString());
    };
    server.OnClientWrite = record("ClientWrite");
    server.OnClientError = [this, prefix](QObject *, TCustomWinSocket *, TErrorEvent kind,
                                          int &code) {
        Events.push_back(prefix + "Client" + ErrorText(kind, code));
        if (ClearErrors)
            code = 0;
    };
}

bool EventLog::Has(const std::string &event) const {
    return std::find(Events.begin(), Events.end(), event) != Events.end();
}

size_t EventLog::ReceivedLength() const {
    return Received().size();
}

std::string EventLog::Received() const {
    std::string all;
    for (const std::string &chunk : Chunks)
        all += chunk;
    return all;
}

RaisedErrors::RaisedErrors() {
    SetSocketExceptionHandler([this](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception &e) {
            Messages.emplace_back(e.what());
        }
    });
}

RaisedErrors::~RaisedErrors() {
    SetSocketExceptionHandler(nullptr);
}

LoopbackPair::LoopbackPair() {
    ServerLog.Watch(Server);
    Server.SetPort(0);
    Server.SetActive(true);
}

size_t LoopbackPair::Call(const QString &host) {
    Clients.push_back(std::make_unique<TClientSocket>());
    ClientLogs.push_back(std::make_unique<EventLog>());
    TClientSocket &client = *Clients.back();
    ClientLogs.back()->Watch(client);
    client.SetHost(host);
    client.SetPort(Port());
    client.SetActive(true);
    return Clients.size() - 1;
}

size_t LoopbackPair::CallAndWait() {
    const int accepted = Server.WinSocket()->ConnectionCount();
    const size_t index = Call();
    WaitUntil([&] {
        return Clients[index]->Active() && Server.WinSocket()->ConnectionCount() > accepted;
    });
    return index;
}
