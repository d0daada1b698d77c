#pragma once
// The router reached through NAT-PMP (libnatpmp): one UDP exchange per request with the default
// gateway. NAT-PMP forwards only to the machine that asks, so nobody else's forwarding can be
// taken over, and it has no way to ask who holds a port.
#include "net/PortGateway.h"

#include <QHostAddress>
#include <memory>

class TNatPmpGateway : public TPortGateway {
  public:
    // gateway: null for the system's default gateway. replyMs bounds the wait for each answer.
    explicit TNatPmpGateway(QHostAddress gateway = {}, int replyMs = 2000);
    ~TNatPmpGateway() override;

    TGatewayReply Discover(QString &lanAddress) override;
    TGatewayReply ExternalAddress(QString &address) override;
    // The router may offer another external port than the one asked for; that is refused and
    // undone.
    TGatewayReply AddMapping(const TMappingRequest &request) override;
    TGatewayReply MappingClient(quint16 externalPort, QString &client) override;
    TGatewayReply DeleteMapping(quint16 externalPort) override;

  private:
    struct TSession;
    TGatewayReply Ask(quint16 internalPort, quint16 externalPort, int lifetime, quint16 &granted);
    QHostAddress gateway_;
    int replyMs_;
    std::unique_ptr<TSession> session_;
};
