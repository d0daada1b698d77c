#pragma once
// The TCP transport: TServerSocket (listener) and TClientSocket (outgoing socket) with their
// sockets.
#include "net/ClientSocket.h"
#include "net/CustomWinSocket.h"
#include "net/ServerClientWinSocket.h"
#include "net/ServerSocket.h"
#include "net/ServerWinSocket.h"
#include "net/SocketError.h"
#include "net/SocketTypes.h"
