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

// Only the non-blocking modes are implemented: both values are kept, and both run on the event
// loop.
enum TClientType { ctNonBlocking, ctBlocking };
enum TServerType { stNonBlocking, stThreadBlocking };

// Sender is the component (TClientSocket or TServerSocket); Socket the connection concerned.
using TSocketNotifyEvent = std::function<void(QObject *Sender, TCustomWinSocket *Socket)>;
// The handler sets ErrorCode to 0 to mark the failure handled; a non-zero code is raised
// afterwards.
using TSocketErrorEvent = std::function<void(QObject *Sender, TCustomWinSocket *Socket,
                                             TErrorEvent ErrorEvent, int &ErrorCode)>;
