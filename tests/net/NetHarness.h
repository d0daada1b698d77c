#pragma once
// Helpers for transport tests: waiting on conditions, free ports, and event recording.
#include "net/ScktComp.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Runs the event loop until the condition holds or the timeout passes; returns the condition.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 10000);
// Lets every notification already posted be handled, without waiting for new ones.
void DrainPosted();
// A TCP port on 127.0.0.1 that nothing listens on at the moment of the call.
quint16 ClosedPort();

// Records every event of the components it is attached to as short texts, in order.
struct EventLog {
    std::vector<std::string> Events;
    std::vector<std::string> Chunks; // what each read event received, in order
    bool ClearErrors = true;         // what an error handler leaves in ErrorCode: 0 when true

    void Watch(TClientSocket &client, const std::string &prefix = "");
    void Watch(TServerSocket &server, const std::string &prefix = "");
    bool Has(const std::string &event) const;
    size_t ReceivedLength() const;
    std::string Received() const;
};

// Collects the exceptions that leave socket events during a test, and restores the default after.
struct RaisedErrors {
    std::vector<std::string> Messages;
    RaisedErrors();
    ~RaisedErrors();
};

// A listener on a free port with its log, and a helper to call it.
struct LoopbackPair {
    TServerSocket Server;
    EventLog ServerLog;
    std::vector<std::unique_ptr<TClientSocket>> Clients;
    std::vector<std::unique_ptr<EventLog>> ClientLogs;

    LoopbackPair();
    quint16 Port() const { return Server.LocalPort(); }
    // Starts a call to the listener; returns the client's index.
    size_t Call(const QString &host = QStringLiteral("127.0.0.1"));
    // Calls and waits until both ends have announced the connection.
    size_t CallAndWait();
};
