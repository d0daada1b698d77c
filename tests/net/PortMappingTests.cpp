// Forwarding the listener's port on the router: every step and every refusal, against a fake
// router.
#include "net/PortMapper.h"
#include "tests/net/NetHarness.h"

#include "tests/common/Rows.h"
#include <QMutex>
#include <QSemaphore>
#include <atomic>
#include <gtest/gtest.h>

using Strings = std::vector<std::string>;

namespace {

// Records every call and answers as scripted; the record may be read from another thread.
struct FakeRouter : TPortGateway {
    struct TShared {
        QMutex Lock;
        Strings Calls;
        QSemaphore DiscoverGate{1000}; // tests take the permits to hold discovery
        std::atomic<bool> Discovering{false};
    };
    std::shared_ptr<TShared> Shared = std::make_shared<TShared>();
    TGatewayReply Found, Holder{714, "NoSuchEntryInArray"}, Added, Asked, Deleted;
    QString Lan = "198.51.100.7", HolderClient, External = "203.0.113.1";
    std::function<void(const std::string &call)> After; // runs after each call is recorded

    void Log(const std::string &call) {
        {
            QMutexLocker locker(&Shared->Lock);
            Shared->Calls.push_back(call);
        }
        if (After)
            After(call);
    }
    TGatewayReply Discover(QString &lanAddress) override {
        Shared->Discovering = true;
        Shared->DiscoverGate.acquire();
        Shared->DiscoverGate.release();
        Log("Discover");
        lanAddress = Lan;
        return Found;
    }
    TGatewayReply ExternalAddress(QString &address) override {
        Log("External");
        address = External;
        return Asked;
    }
    TGatewayReply AddMapping(const TMappingRequest &r) override {
        Log("Add " + std::to_string(r.ExternalPort) + "->" + r.Client.toStdString() + ":" +
            std::to_string(r.InternalPort) + " '" + r.Description.toStdString() + "' " +
            std::to_string(r.LeaseSeconds));
        return Added;
    }
    TGatewayReply MappingClient(quint16 port, QString &client) override {
        Log("Holder " + std::to_string(port));
        client = HolderClient;
        return Holder;
    }
    TGatewayReply DeleteMapping(quint16 port) override {
        Log("Delete " + std::to_string(port));
        return Deleted;
    }
    Strings Calls() const { return CallsOf(*Shared); }
    static Strings CallsOf(TShared &shared) {
        QMutexLocker locker(&shared.Lock);
        return shared.Calls;
    }
};

const std::string Add = "Add 1024->198.51.100.7:1024 'Boardwick chess' 300";

struct StartRow {
    const char *Name;
    std::function<void(FakeRouter &, bool &cancel)> Script;
    TPortMapStatus::TState State;
    const char *Shown; // external address when mapped, reason when failed
    Strings Calls;
};

using test_rows::PrintTo;

class MappingStart : public ::testing::TestWithParam<StartRow> {};

TEST_P(MappingStart, MapsOrFailsWithAReasonAndLeavesNothingBehind) {
    const StartRow &row = GetParam();
    FakeRouter router;
    bool cancel = false;
    row.Script(router, cancel);
    TPortMapping mapping(router, 1024, "Boardwick chess", [&] { return cancel; });
    const TPortMapStatus status = mapping.Start();
    EXPECT_EQ(status.State, row.State);
    const QString shown =
        status.State == TPortMapStatus::TState::Mapped ? status.ExternalAddress : status.Reason;
    EXPECT_EQ(shown.toStdString(), row.Shown);
    EXPECT_EQ(router.Calls(), row.Calls);
}

using S = TPortMapStatus::TState;
const Strings Mapped{"Discover", "Holder 1024", Add, "External"};

INSTANTIATE_TEST_SUITE_P(
    Net, MappingStart,
    ::testing::Values(
        StartRow{"Mapped", [](FakeRouter &, bool &) {}, S::Mapped, "203.0.113.1", Mapped},
        StartRow{"OurOwnStaleMappingRenewed",
                 [](FakeRouter &r, bool &) {
                     r.Holder = {};
                     r.HolderClient = r.Lan;
                 },
                 S::Mapped, "203.0.113.1", Mapped},
        StartRow{"NoRouter",
                 [](FakeRouter &r, bool &) {
                     r.Found = {-1, "no UPnP device answered"};
                 },
                 S::Failed,
                 "No router offering port forwarding (UPnP or NAT-PMP) was found (-1 no UPnP "
                 "device answered)",
                 {"Discover"}},
        StartRow{"TakenByAnotherMachine",
                 [](FakeRouter &r, bool &) {
                     r.Holder = {};
                     r.HolderClient = "198.51.100.9";
                 },
                 S::Failed,
                 "The router already forwards port 1024 to another machine (198.51.100.9)",
                 {"Discover", "Holder 1024"}},
        StartRow{"Conflict718",
                 [](FakeRouter &r, bool &) {
                     r.Added = {718, "ConflictInMappingEntry"};
                 },
                 S::Failed,
                 "The router already forwards port 1024 to another machine",
                 {"Discover", "Holder 1024", Add}},
        StartRow{"Refused501",
                 [](FakeRouter &r, bool &) {
                     r.Added = {501, "Action Failed"};
                 },
                 S::Failed,
                 "The router refused to forward port 1024 (501 Action Failed)",
                 {"Discover", "Holder 1024", Add}},
        StartRow{"PermanentOnly725",
                 [](FakeRouter &r, bool &) {
                     r.Added = {725, "OnlyPermanentLeasesSupported"};
                 },
                 S::Failed,
                 "The router offers only permanent forwarding, which would outlive the program",
                 {"Discover", "Holder 1024", Add}},
        StartRow{"NoExternalAddress",
                 [](FakeRouter &r, bool &) {
                     r.Asked = {-3, "HTTP error"};
                 },
                 S::Failed,
                 "The router did not tell its external address (-3 HTTP error)",
                 {"Discover", "Holder 1024", Add, "External", "Delete 1024"}},
        StartRow{"ExternalAddressUnset",
                 [](FakeRouter &r, bool &) { r.External = "0.0.0.0"; },
                 S::Failed,
                 "The router did not tell its external address",
                 {"Discover", "Holder 1024", Add, "External", "Delete 1024"}},
        StartRow{"StoppedWhileMapping",
                 [](FakeRouter &r, bool &cancel) {
                     r.After = [&cancel](const std::string &call) {
                         cancel = cancel || call.starts_with("Add");
                     };
                 },
                 S::Failed,
                 "Stopped",
                 {"Discover", "Holder 1024", Add, "External", "Delete 1024"}},
        StartRow{"StoppedWhileDiscovering",
                 [](FakeRouter &r, bool &cancel) {
                     r.After = [&cancel](const std::string &call) {
                         cancel = cancel || call == "Discover";
                     };
                 },
                 S::Failed,
                 "Stopped",
                 {"Discover", "Holder 1024"}},
        StartRow{"StoppedBeforeStart",
                 [](FakeRouter &, bool &cancel) { cancel = true; },
                 S::Failed,
                 "Stopped",
                 {}},
        // clang-format off
        StartRow{"DoubleNat", [](FakeRouter &r, bool &) { r.External = "192.168.1.254"; }, S::Failed, "Double NAT: the router's own address 192.168.1.254 is not public", {"Discover", "Holder 1024", Add, "External", "Delete 1024"}},
        StartRow{"SharedByTheProvider", [](FakeRouter &r, bool &) { r.External = "100.127.255.254"; }, S::Failed, "Double NAT: the router's own address 100.127.255.254 is not public", {"Discover", "Holder 1024", Add, "External", "Delete 1024"}},
        StartRow{"PublicNextToSharedRange", [](FakeRouter &r, bool &) { r.External = "100.128.0.1"; }, S::Mapped, "100.128.0.1", Mapped}),
    // clang-format on
    test_rows::RowName);

TEST(PortMapping, RenewsFollowsTheAddressAndRemovesOnlyWhatItHolds) {
    FakeRouter router;
    TPortMapping mapping(router, 1024, "Boardwick chess");
    ASSERT_EQ(mapping.Start().State, S::Mapped);
    EXPECT_EQ(mapping.RenewIntervalMs(), 150000); // half the lease asked for: UPnP does not say
    router.External = "203.0.113.2";
    EXPECT_EQ(mapping.Renew().ExternalAddress.toStdString(), "203.0.113.2");
    router.Added = {-3, "HTTP error"};
    EXPECT_EQ(mapping.Renew().Reason.toStdString(),
              "The router stopped forwarding port 1024 (-3 HTTP error)");
    mapping.Remove();            // the router dropped it; nothing to delete
    router.Added = {0, {}, 120}; // NAT-PMP says what it granted
    ASSERT_EQ(mapping.Start().State, S::Mapped);
    EXPECT_EQ(mapping.RenewIntervalMs(), 60000);
    mapping.Remove();
    mapping.Remove();
    const Strings calls = router.Calls();
    EXPECT_EQ(
        Strings(calls.begin() + 4, calls.end()),
        (Strings{Add, "External", Add, "Discover", "Holder 1024", Add, "External", "Delete 1024"}));
}

TEST(PortMapping, RetriesWaitLongerAfterEachFailureUpToTheRenewalInterval) {
    const std::pair<int, int> rows[] = {{1, 5000}, {3, 20000}, {6, 150000}, {1000, 150000}};
    for (const auto &[failures, delayMs] : rows)
        EXPECT_EQ(RetryDelayMs(failures, 5000, 150000), delayMs) << failures;
}

TEST(PortMapper, MapsInTheBackgroundRenewsAndRemovesOnStop) {
    auto router = std::make_unique<FakeRouter>();
    const auto shared = router->Shared; // the router itself goes with the worker
    TPortMapper mapper(1024, std::move(router));
    mapper.RenewIntervalMs = 10;
    std::vector<S> states;
    QObject::connect(&mapper, &TPortMapper::StatusChanged,
                     [&](const TPortMapStatus &s) { states.push_back(s.State); });
    mapper.Start();
    ASSERT_TRUE(WaitUntil([&] { return mapper.Status().State == S::Mapped; }));
    EXPECT_EQ(mapper.Status().ExternalAddress, QStringLiteral("203.0.113.1"));
    EXPECT_EQ(mapper.Status().LanAddress, QStringLiteral("198.51.100.7"));
    ASSERT_TRUE(
        WaitUntil([&] { return FakeRouter::CallsOf(*shared).size() >= 6; })); // a renewal went out
    mapper.Stop();
    ASSERT_TRUE(WaitUntil([&] { return mapper.Stopped(); }));
    EXPECT_EQ(FakeRouter::CallsOf(*shared).back(), "Delete 1024");
    EXPECT_EQ(states.front(), S::Discovering);
    EXPECT_EQ(states.back(), S::Idle);
}

// The GUI thread never waits on the router: a hanging discovery still lets the mapper go within
// its bound, and no forwarding is made once it has been stopped.
TEST(PortMapper, HangingRouterDoesNotHoldTheProgramAndGetsNoMapping) {
    auto router = std::make_unique<FakeRouter>();
    const auto shared = router->Shared;
    shared->DiscoverGate.acquire(1000);
    {
        TPortMapper mapper(1024, std::move(router));
        mapper.StopTimeoutMs = 50;
        mapper.Start();
        EXPECT_EQ(mapper.Status().State, S::Discovering);
        ASSERT_TRUE(WaitUntil([&] { return shared->Discovering.load(); }));
    }
    shared->DiscoverGate.release(1000);
    ASSERT_TRUE(WaitUntil([&] { return FakeRouter::CallsOf(*shared).size() >= 2; }));
    EXPECT_EQ(FakeRouter::CallsOf(*shared), (Strings{"Discover", "Holder 1024"}));
}

// A started mapper on a fake router with short intervals, and the last state it reported.
struct MapperRun {
    std::shared_ptr<FakeRouter::TShared> Shared;
    std::unique_ptr<TPortMapper> Mapper;
    S Last = S::Idle;

    explicit MapperRun(const std::function<void(FakeRouter &)> &script = [](FakeRouter &) {}) {
        auto router = std::make_unique<FakeRouter>();
        script(*router);
        Shared = router->Shared;
        Mapper = std::make_unique<TPortMapper>(1024, std::move(router));
        Mapper->RenewIntervalMs = Mapper->RetryFirstMs = 10;
        QObject::connect(Mapper.get(), &TPortMapper::StatusChanged,
                         [this](const TPortMapStatus &s) { Last = s.State; });
        Mapper->Start();
    }
    bool WaitFor(S state) {
        return WaitUntil([&] { return Last == state; });
    }
};

TEST(PortMapper, FailedRenewalIsRetriedUntilTheRouterForwardsAgain) {
    MapperRun run([](FakeRouter &r) { // the first two renewals fail
        r.After = [&r, adds = 0](const std::string &call) mutable {
            if (call.starts_with("Add"))
                r.Added =
                    ++adds == 2 || adds == 3 ? TGatewayReply{-3, "HTTP error"} : TGatewayReply{};
        };
    });
    ASSERT_TRUE(run.WaitFor(S::Failed));
    EXPECT_TRUE(run.WaitFor(S::Mapped));
}

TEST(PortMapper, NotListeningWithdrawsTheForwardingAndListeningAgainRestoresIt) {
    MapperRun run;
    ASSERT_TRUE(run.WaitFor(S::Mapped));
    run.Mapper->SetListening(false);
    ASSERT_TRUE(run.WaitFor(S::Idle));
    const Strings paused = FakeRouter::CallsOf(*run.Shared);
    EXPECT_EQ(paused.back(), "Delete 1024");
    run.Mapper->SetListening(true);
    ASSERT_TRUE(run.WaitFor(S::Mapped));
    const Strings calls = FakeRouter::CallsOf(*run.Shared);
    EXPECT_EQ(Strings(calls.begin() + paused.size(), calls.begin() + paused.size() + 4), Mapped);
}

} // namespace
