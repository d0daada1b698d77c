#include "net/UpnpGateway.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <QByteArray>

struct TUpnpGateway::TFound {
    UPNPUrls Urls{};
    IGDdatas Data{};
    ~TFound() { FreeUPNPUrls(&Urls); }
};

namespace {
constexpr int NotFound = -1;

TGatewayReply Reply(int code) {
    if (code == UPNPCOMMAND_SUCCESS)
        return {};
    const char *text = strupnperror(code);
    return {code, text ? QString::fromUtf8(text) : QString()};
}

QByteArray Number(int value) {
    return QByteArray::number(value);
}
} // namespace

TUpnpGateway::TUpnpGateway(int discoveryMs) : discoveryMs_(discoveryMs) {}

TUpnpGateway::~TUpnpGateway() = default;

TGatewayReply TUpnpGateway::Discover(QString &lanAddress) {
    found_.reset();
    int error = 0;
    UPNPDev *devices =
        upnpDiscover(discoveryMs_, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error);
    if (!devices)
        return {NotFound, QStringLiteral("no UPnP device answered")};
    auto found = std::make_unique<TFound>();
    char lan[64] = {};
    const int kind = UPNP_GetValidIGD(devices, &found->Urls, &found->Data, lan, sizeof lan);
    freeUPNPDevlist(devices);
    // 1: a connected gateway; 2: a gateway that says it is not connected, which may still forward.
    if (kind != 1 && kind != 2)
        return {NotFound, QStringLiteral("no Internet gateway among the UPnP devices")};
    lanAddress = QString::fromLatin1(lan);
    found_ = std::move(found);
    return {};
}

TGatewayReply TUpnpGateway::ExternalAddress(QString &address) {
    if (!found_)
        return {NotFound, QStringLiteral("no gateway")};
    char text[64] = {};
    const int code =
        UPNP_GetExternalIPAddress(found_->Urls.controlURL, found_->Data.first.servicetype, text);
    address = QString::fromLatin1(text);
    return Reply(code);
}

TGatewayReply TUpnpGateway::AddMapping(const TMappingRequest &request) {
    if (!found_)
        return {NotFound, QStringLiteral("no gateway")};
    return Reply(UPNP_AddPortMapping(
        found_->Urls.controlURL, found_->Data.first.servicetype,
        Number(request.ExternalPort).constData(), Number(request.InternalPort).constData(),
        request.Client.toLatin1().constData(), request.Description.toUtf8().constData(), "TCP",
        nullptr, Number(request.LeaseSeconds).constData()));
}

TGatewayReply TUpnpGateway::MappingClient(quint16 externalPort, QString &client) {
    if (!found_)
        return {NotFound, QStringLiteral("no gateway")};
    char internalClient[40] = {}, internalPort[6] = {}, description[80] = {}, enabled[4] = {},
         lease[16] = {};
    const int code = UPNP_GetSpecificPortMappingEntry(
        found_->Urls.controlURL, found_->Data.first.servicetype, Number(externalPort).constData(),
        "TCP", nullptr, internalClient, internalPort, description, enabled, lease);
    client = QString::fromLatin1(internalClient);
    return Reply(code);
}

TGatewayReply TUpnpGateway::DeleteMapping(quint16 externalPort) {
    if (!found_)
        return {NotFound, QStringLiteral("no gateway")};
    return Reply(UPNP_DeletePortMapping(found_->Urls.controlURL, found_->Data.first.servicetype,
                                        Number(externalPort).constData(), "TCP", nullptr));
}
