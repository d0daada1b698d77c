#pragma once
// The router reached through UPnP IGD (miniupnpc): SSDP discovery, then SOAP calls to its
// WANIPConnection (or WANPPPConnection) service.
#include "net/PortGateway.h"

#include <memory>

class TUpnpGateway : public TPortGateway {
  public:
    // discoveryMs bounds the wait for SSDP answers.
    explicit TUpnpGateway(int discoveryMs = 2000);
    ~TUpnpGateway() override;

    TGatewayReply Discover(QString &lanAddress) override;
    TGatewayReply ExternalAddress(QString &address) override;
    TGatewayReply AddMapping(const TMappingRequest &request) override;
    TGatewayReply MappingClient(quint16 externalPort, QString &client) override;
    TGatewayReply DeleteMapping(quint16 externalPort) override;

  private:
    struct TFound;
    int discoveryMs_;
    std::unique_ptr<TFound> found_;
};
