#pragma once
// A connection accepted by the listener; owned by its TServerWinSocket while it is in the list.
#include "net/CustomWinSocket.h"

class TServerWinSocket;

class TServerClientWinSocket : public TCustomWinSocket {
    Q_OBJECT
  public:
    explicit TServerClientWinSocket(TServerWinSocket *server);
    TServerWinSocket *ServerWinSocket() const { return server_; }

  private:
    TServerWinSocket *server_;
};
