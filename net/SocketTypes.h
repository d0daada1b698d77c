#pragma once
// Kinds, modes and handler types shared by the listener and the outgoing socket.
#include <functional>

class QObject;
class TCustomWinSocket;

// What failed, as reported to an error handler.
enum TErrorEvent {
    eeGeneral = 0,
    eeSend = 1,
    eeReceive = 2,
    eeConnect = 3,
    eeDisconnect = 4,
    eeAccept = 5
};

// Both components run on the event loop: non-blocking is the only mode.
enum TClientType { ctNonBlocking };
enum TServerType { stNonBlocking };

// Sender is the component (TClientSocket or TServerSocket); Socket the connection concerned.
using TSocketNotifyEvent = std::function<void(QObject *Sender, TCustomWinSocket *Socket)>;
// The handler sets ErrorCode to 0 to mark the failure handled; a non-zero code is raised
// afterwards.
using TSocketErrorEvent = std::function<void(QObject *Sender, TCustomWinSocket *Socket,
                                             TErrorEvent ErrorEvent, int &ErrorCode)>;
