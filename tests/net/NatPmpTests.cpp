// NAT-PMP against a small responder on 127.0.0.1, reached through the chain of ways after UPnP
// failed.
#include "net/GatewayChain.h"
#include "net/NatPmpGateway.h"
#include "net/PortMapping.h"

#include "tests/common/Rows.h"
#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using Strings = std::vector<std::string>;

namespace {

// Answers NAT-PMP requests on a loopback address, port 5351, from its own thread; records "address"
// and "map <internal> <external> <lifetime>" for each request. Each answer comes after a late one
// to another request (a mapping of the next port), which must be passed over.
class FakeNatPmpRouter {
  public:
    FakeNatPmpRouter(const char *address, int offset, bool silent)
        : offset_(offset), silent_(silent) {
        socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        ::inet_pton(AF_INET, address, &at.sin_addr);
        at.sin_port = htons(5351);
        Bound = ::bind(socket_, reinterpret_cast<sockaddr *>(&at), sizeof at) == 0;
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeNatPmpRouter() {
        stop_ = true;
        thread_.join();
        ::close(socket_);
    }
    Strings Requests() {
        std::lock_guard lock(lock_);
        return requests_;
    }
    bool Bound = false;

  private:
    void Serve() {
        while (!stop_) {
            pollfd ready{socket_, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0)
                continue;
            unsigned char in[16] = {}, out[16] = {};
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(socket_, in, sizeof in, 0, reinterpret_cast<sockaddr *>(&from), &length);
            if (got < 2 || silent_)
                continue;
            out[1] = static_cast<unsigned char>(128 + in[1]);
            size_t size = 12;
            if (in[1] == 0) {
                Record("address");
                const uint32_t external = htonl(0xCB007101); // 203.0.113.1
                std::memcpy(out + 8, &external, 4);
            } else {
                const uint16_t internal = static_cast<uint16_t>(in[4] << 8 | in[5]);
                const uint16_t asked = static_cast<uint16_t>(in[6] << 8 | in[7]);
                const uint32_t lifetime =
                    static_cast<uint32_t>(in[8] << 24 | in[9] << 16 | in[10] << 8 | in[11]);
                Record("map " + std::to_string(internal) + " " + std::to_string(asked) + " " +
                       std::to_string(lifetime));
                const uint16_t granted = lifetime == 0 ? 0 : static_cast<uint16_t>(asked + offset_);
                std::memcpy(out + 8, in + 4, 2);
                out[10] = static_cast<unsigned char>(granted >> 8);
                out[11] = static_cast<unsigned char>(granted & 0xff);
                std::memcpy(out + 12, in + 8, 4);
                size = 16;
            }
            unsigned char stale[16];
            std::memcpy(stale, out, sizeof stale);
            stale[1] = 130;
            stale[9] = static_cast<unsigned char>(stale[9] + 1);
            stale[11] = static_cast<unsigned char>(stale[11] + 1);
            ::sendto(socket_, stale, sizeof stale, 0, reinterpret_cast<sockaddr *>(&from), length);
            ::sendto(socket_, out, size, 0, reinterpret_cast<sockaddr *>(&from), length);
        }
    }
    void Record(const std::string &request) {
        std::lock_guard lock(lock_);
        requests_.push_back(request);
    }

    int offset_;
    bool silent_;
    int socket_ = -1;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    Strings requests_;
    std::thread thread_;
};

// A UPnP way that finds nothing, so the chain moves on.
struct NoUpnp : TPortGateway {
    TGatewayReply Discover(QString &) override { return {-1, "no UPnP device answered"}; }
    TGatewayReply ExternalAddress(QString &) override { return {-1, {}}; }
    TGatewayReply AddMapping(const TMappingRequest &) override { return {-1, {}}; }
    TGatewayReply MappingClient(quint16, QString &) override { return {-1, {}}; }
    TGatewayReply DeleteMapping(quint16) override { return {-1, {}}; }
};

struct NatPmpRow {
    const char *Name;
    const char *Router; // a loopback address of its own, so that rows may run side by side
    int Offset;         // the router grants the asked port plus this
    bool Silent;        // the router never answers
    TPortMapStatus::TState State;
    const char *Shown;
    Strings Requests;
};

using test_rows::PrintTo;

class NatPmp : public ::testing::TestWithParam<NatPmpRow> {};

TEST_P(NatPmp, MapsOnlyTheAskedPortAndRemovesIt) {
    const NatPmpRow &row = GetParam();
    FakeNatPmpRouter router(row.Router, row.Offset, row.Silent);
    if (!router.Bound)
        GTEST_SKIP() << "port 5351 on " << row.Router << " is taken";
    TGatewayChain chain;
    chain.Add(std::make_unique<NoUpnp>());
    chain.Add(std::make_unique<TNatPmpGateway>(QHostAddress(QString::fromLatin1(row.Router)), 300));
    TPortMapping mapping(chain, 1024, "Boardwick chess");
    const TPortMapStatus status = mapping.Start();
    EXPECT_EQ(status.State, row.State);
    EXPECT_EQ(
        (status.State == TPortMapStatus::TState::Mapped ? status.ExternalAddress : status.Reason)
            .toStdString(),
        row.Shown);
    mapping.Remove();
    EXPECT_EQ(router.Requests(), row.Requests);
}

INSTANTIATE_TEST_SUITE_P(
    Net, NatPmp,
    ::testing::Values(NatPmpRow{"Mapped",
                                "127.0.53.1",
                                0,
                                false,
                                TPortMapStatus::TState::Mapped,
                                "203.0.113.1",
                                {"address", "map 1024 1024 300", "address", "map 1024 0 0"}},
                      NatPmpRow{"OtherPortOffered",
                                "127.0.53.2",
                                1,
                                false,
                                TPortMapStatus::TState::Failed,
                                "The router already forwards port 1024 to another machine",
                                {"address", "map 1024 1024 300", "map 1024 0 0"}},
                      NatPmpRow{"NoAnswer",
                                "127.0.53.3",
                                0,
                                true,
                                TPortMapStatus::TState::Failed,
                                "No router offering port forwarding (UPnP or NAT-PMP) was found "
                                "(-7 no UPnP device answered; "
                                "the gateway does not support nat-pmp)",
                                {}}),
    test_rows::RowName);

} // namespace
