#pragma once
// The router as the port mapper sees it. Calls block until the router answers or gives up, so
// they run on the mapper's worker thread only.
#include <QString>

// 0 when done; otherwise the router's UPnP error code (e.g. 718 conflict) or a negative library
// code.
struct TGatewayReply {
    int Code = 0;
    QString Text; // the router's or the library's words for a failure
    // AddMapping: the lease the router granted, in seconds; 0 when it does not say (UPnP), which
    // means the lease asked for.
    int LeaseSeconds = 0;
    bool Ok() const { return Code == 0; }
};

// External TCP port forwarded to Client:InternalPort for LeaseSeconds.
struct TMappingRequest {
    quint16 ExternalPort = 0;
    QString Client;
    quint16 InternalPort = 0;
    QString Description;
    int LeaseSeconds = 0;
};

class TPortGateway {
  public:
    virtual ~TPortGateway() = default;
    // Looks for an Internet gateway; on success lanAddress is this machine's address towards it.
    virtual TGatewayReply Discover(QString &lanAddress) = 0;
    virtual TGatewayReply ExternalAddress(QString &address) = 0;
    virtual TGatewayReply AddMapping(const TMappingRequest &request) = 0;
    // The machine an external TCP port is forwarded to; fails when the port is not forwarded.
    virtual TGatewayReply MappingClient(quint16 externalPort, QString &client) = 0;
    virtual TGatewayReply DeleteMapping(quint16 externalPort) = 0;
};
