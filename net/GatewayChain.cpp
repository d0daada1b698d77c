#include "net/GatewayChain.h"

#include <QStringList>

namespace {
constexpr int NoGateway = -1;
}

void TGatewayChain::Add(std::unique_ptr<TPortGateway> gateway) {
    ways_.push_back(std::move(gateway));
}

TGatewayReply TGatewayChain::Discover(QString &lanAddress) {
    found_ = nullptr;
    TGatewayReply last{NoGateway, QStringLiteral("no way to ask a router")};
    QStringList failures;
    for (const auto &way : ways_) {
        last = way->Discover(lanAddress);
        if (last.Ok()) {
            found_ = way.get();
            return last;
        }
        failures << last.Text;
    }
    return {last.Code, failures.join(QStringLiteral("; "))};
}

TGatewayReply TGatewayChain::ExternalAddress(QString &address) {
    return Delegate([&](TPortGateway &way) { return way.ExternalAddress(address); });
}
TGatewayReply TGatewayChain::AddMapping(const TMappingRequest &request) {
    return Delegate([&](TPortGateway &way) { return way.AddMapping(request); });
}
TGatewayReply TGatewayChain::MappingClient(quint16 port, QString &client) {
    return Delegate([&](TPortGateway &way) { return way.MappingClient(port, client); });
}
TGatewayReply TGatewayChain::DeleteMapping(quint16 port) {
    return Delegate([&](TPortGateway &way) { return way.DeleteMapping(port); });
}
