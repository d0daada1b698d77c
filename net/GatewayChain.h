#pragma once
#include "net/PortGateway.h"

#include <memory>
#include <vector>

// Tries each way in order at discovery and then keeps to the first that found a router.
class TGatewayChain : public TPortGateway {
  public:
    void Add(std::unique_ptr<TPortGateway> gateway);

    TGatewayReply Discover(QString &lanAddress) override;
    TGatewayReply ExternalAddress(QString &address) override;
    TGatewayReply AddMapping(const TMappingRequest &request) override;
    TGatewayReply MappingClient(quint16 externalPort, QString &client) override;
    TGatewayReply DeleteMapping(quint16 externalPort) override;

  private:
    template <class F> TGatewayReply Delegate(F &&call) {
        return found_ ? call(*found_) : TGatewayReply{-1, QStringLiteral("no gateway")};
    }

    std::vector<std::unique_ptr<TPortGateway>> ways_;
    TPortGateway *found_ = nullptr;
};
