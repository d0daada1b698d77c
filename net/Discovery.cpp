#include "net/Discovery.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>
#include <avahi-common/timeval.h>

#include <net/if.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>

// What the owner and its worker share; the worker may outlive the owner.
struct TDiscoveryShared {
    explicit TDiscoveryShared(TDiscovery *owner, quint16 callPort)
        : Owner(owner), CallPort(callPort) {}
    ~TDiscoveryShared() { close(Wake); }

    std::mutex Mutex;
    std::condition_variable Ended;
    TDiscovery *Owner; // null once the owner is gone
    const int Wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const quint16 CallPort;
    int RetryMs = 30000;
    bool Quit = false, Finished = false;
    std::string Name = "Boardwick";
    quint16 Port = 0;
};

namespace {

// What a crowded or hostile network can make the worker hold at once.
constexpr std::size_t MaxResolving = 16;
constexpr std::size_t MaxFound = 64;
// After the daemon dropped the connection, a new one is tried this soon.
constexpr int ReconnectMs = 1000;
// Bounds the tries for a free name after collisions.
constexpr int MaxRenames = 32;

// The name as DNS-SD takes it: 1 to 63 bytes of UTF-8, cut between characters.
std::string ServiceName(const QString &name) {
    QString cut = name.trimmed();
    while (cut.toUtf8().size() > 63)
        cut.chop(cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1);
    return cut.isEmpty() ? std::string("Boardwick") : cut.toUtf8().toStdString();
}

QString RecordKey(AvahiIfIndex interface, AvahiProtocol protocol, const char *name,
                  const char *domain) {
    return QStringLiteral("%1/%2/%3/%4")
        .arg(interface)
        .arg(protocol)
        .arg(QString::fromUtf8(domain), QString::fromUtf8(name));
}

// A link-local IPv6 address is reachable only with its interface named.
QString AddressText(const AvahiAddress &address, AvahiIfIndex interface) {
    char text[AVAHI_ADDRESS_STR_MAX] = {};
    avahi_address_snprint(text, sizeof text, &address);
    QString shown = QString::fromLatin1(text);
    const bool linkLocal = address.proto == AVAHI_PROTO_INET6 &&
                           address.data.ipv6.address[0] == 0xfe &&
                           (address.data.ipv6.address[1] & 0xc0) == 0x80;
    char name[IF_NAMESIZE] = {};
    if (linkLocal && if_indextoname(static_cast<unsigned>(interface), name))
        shown += QLatin1Char('%') + QString::fromLatin1(name);
    return shown;
}

// Runs on the worker thread: every Avahi object lives and dies here.
class TWorker {
  public:
    explicit TWorker(std::shared_ptr<TDiscoveryShared> shared) : s_(std::move(shared)) {}
    void Run();

  private:
    void Connect();
    void Disconnect();
    void Forget();
    void Schedule(int ms);
    void TakeWishes();
    void Publish();
    void Browse();
    void Resolved(AvahiIfIndex interface, AvahiProtocol protocol, const char *name,
                  const char *domain, const AvahiAddress *address, uint16_t port);
    template <class F> void Tell(F &&event);

    static void OnWake(AvahiWatch *, int fd, AvahiWatchEvent, void *self);
    static void OnRetry(AvahiTimeout *, void *self);
    static void OnClient(AvahiClient *client, AvahiClientState state, void *self);
    static void OnGroup(AvahiEntryGroup *group, AvahiEntryGroupState state, void *self);
    static void OnBrowse(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol,
                         AvahiBrowserEvent event, const char *name, const char *type,
                         const char *domain, AvahiLookupResultFlags flags, void *self);
    static void OnResolve(AvahiServiceResolver *resolver, AvahiIfIndex interface,
                          AvahiProtocol protocol, AvahiResolverEvent event, const char *name,
                          const char *type, const char *domain, const char *host,
                          const AvahiAddress *address, uint16_t port, AvahiStringList *,
                          AvahiLookupResultFlags, void *self);

    std::shared_ptr<TDiscoveryShared> s_;
    AvahiSimplePoll *poll_ = nullptr;
    const AvahiPoll *api_ = nullptr;
    AvahiTimeout *retry_ = nullptr;
    AvahiClient *client_ = nullptr;
    AvahiEntryGroup *group_ = nullptr;
    AvahiServiceBrowser *browser_ = nullptr;
    std::map<QString, AvahiServiceResolver *> resolving_;
    std::set<QString> found_;
    std::string wanted_, name_; // name_ is wanted_ or the alternative taken after collisions
    quint16 port_ = 0;
    int retryMs_ = 30000;
};

// event(owner) runs on the owner's thread, unless the owner is gone by then.
template <class F> void TWorker::Tell(F &&event) {
    std::lock_guard lock(s_->Mutex);
    if (TDiscovery *owner = s_->Owner)
        QMetaObject::invokeMethod(
            owner, [owner, event = std::forward<F>(event)] { event(owner); }, Qt::QueuedConnection);
}

void TWorker::Run() {
    pthread_setname_np(pthread_self(), "discovery");
    if ((poll_ = avahi_simple_poll_new())) {
        api_ = avahi_simple_poll_get(poll_);
        api_->watch_new(api_, s_->Wake, AVAHI_WATCH_IN, OnWake, this);
        retry_ = api_->timeout_new(api_, nullptr, OnRetry, this);
        {
            std::lock_guard lock(s_->Mutex);
            retryMs_ = s_->RetryMs;
        }
        TakeWishes();
        Connect();
        while (avahi_simple_poll_iterate(poll_, -1) == 0) {
        }
        Disconnect();
        avahi_simple_poll_free(poll_); // with its watch and timeout
    }
    std::lock_guard lock(s_->Mutex);
    s_->Finished = true;
    s_->Ended.notify_all();
}

void TWorker::Connect() {
    int error = 0;
    client_ = avahi_client_new(api_, AVAHI_CLIENT_NO_FAIL, OnClient, this, &error);
    if (!client_)
        Schedule(retryMs_); // no system bus
}

void TWorker::Disconnect() {
    Forget();
    if (browser_)
        avahi_service_browser_free(std::exchange(browser_, nullptr));
    if (group_)
        avahi_entry_group_free(std::exchange(group_, nullptr));
    if (client_)
        avahi_client_free(std::exchange(client_, nullptr));
}

// Nothing found before stands once the daemon's answers stop.
void TWorker::Forget() {
    for (const auto &[key, resolver] : resolving_)
        avahi_service_resolver_free(resolver);
    resolving_.clear();
    if (!found_.empty()) {
        found_.clear();
        Tell([](TDiscovery *owner) { emit owner->AllGone(); });
    }
}

void TWorker::Schedule(int ms) {
    timeval when;
    avahi_elapse_time(&when, static_cast<unsigned>(ms), 0);
    api_->timeout_update(retry_, &when);
}

void TWorker::OnRetry(AvahiTimeout *, void *self) {
    auto *worker = static_cast<TWorker *>(self);
    worker->api_->timeout_update(worker->retry_, nullptr);
    worker->Disconnect();
    worker->Connect();
}

void TWorker::OnWake(AvahiWatch *, int fd, AvahiWatchEvent, void *self) {
    auto *worker = static_cast<TWorker *>(self);
    eventfd_t count = 0;
    eventfd_read(fd, &count);
    bool quit = false;
    {
        std::lock_guard lock(worker->s_->Mutex);
        quit = worker->s_->Quit;
    }
    if (quit)
        avahi_simple_poll_quit(worker->poll_);
    else
        worker->TakeWishes();
}

// The owner's name and port, published afresh only when they changed.
void TWorker::TakeWishes() {
    std::string name;
    quint16 port = 0;
    {
        std::lock_guard lock(s_->Mutex);
        name = s_->Name;
        port = s_->Port;
    }
    if (name == wanted_ && port == port_)
        return;
    if (name != wanted_)
        wanted_ = name_ = name;
    port_ = port;
    Publish();
}

void TWorker::Publish() {
    if (!client_ || avahi_client_get_state(client_) != AVAHI_CLIENT_S_RUNNING)
        return; // published once the daemon runs
    if (!group_ && !(group_ = avahi_entry_group_new(client_, OnGroup, this)))
        return;
    avahi_entry_group_reset(group_);
    if (port_ == 0)
        return;
    for (int renames = 0; renames < MaxRenames; ++renames) {
        const int error = avahi_entry_group_add_service(
            group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name_.c_str(),
            TDiscovery::ServiceType, nullptr, nullptr, port_, nullptr);
        if (error == AVAHI_ERR_COLLISION) {
            char *next = avahi_alternative_service_name(name_.c_str());
            name_ = next;
            avahi_free(next);
            continue;
        }
        if (error == AVAHI_OK)
            avahi_entry_group_commit(group_);
        return;
    }
}

void TWorker::Browse() {
    if (!browser_)
        browser_ = avahi_service_browser_new(client_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                             TDiscovery::ServiceType, nullptr, AvahiLookupFlags(0),
                                             OnBrowse, this);
}

void TWorker::OnClient(AvahiClient *client, AvahiClientState state, void *self) {
    auto *worker = static_cast<TWorker *>(self);
    worker->client_ = client; // also while avahi_client_new has not returned yet
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        worker->Browse();
        worker->Publish();
        break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
        // The host's own name is being settled; the service follows once it runs again.
        if (worker->group_)
            avahi_entry_group_reset(worker->group_);
        break;
    case AVAHI_CLIENT_FAILURE:
        worker->Forget();
        worker->Schedule(avahi_client_errno(client) == AVAHI_ERR_DISCONNECTED ? ReconnectMs
                                                                              : worker->retryMs_);
        break;
    case AVAHI_CLIENT_CONNECTING: // waits for the daemon
        break;
    }
}

// Two players on one network with the same name: this copy takes the next free one.
void TWorker::OnGroup(AvahiEntryGroup *, AvahiEntryGroupState state, void *self) {
    auto *worker = static_cast<TWorker *>(self);
    if (state != AVAHI_ENTRY_GROUP_COLLISION || !worker->group_)
        return;
    char *next = avahi_alternative_service_name(worker->name_.c_str());
    worker->name_ = next;
    avahi_free(next);
    worker->Publish();
    // The winner's record looks like the one this copy had, which the browser took for its own
    // and does not report again: browsing starts afresh.
    worker->Forget();
    if (worker->browser_)
        avahi_service_browser_free(std::exchange(worker->browser_, nullptr));
    worker->Browse();
}

void TWorker::OnBrowse(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol,
                       AvahiBrowserEvent event, const char *name, const char *type,
                       const char *domain, AvahiLookupResultFlags flags, void *self) {
    auto *worker = static_cast<TWorker *>(self);
    if (event == AVAHI_BROWSER_FAILURE) {
        worker->Forget();
        worker->Schedule(worker->retryMs_);
        return;
    }
    if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE)
        return;
    const QString key = RecordKey(interface, protocol, name, domain);
    if (event == AVAHI_BROWSER_REMOVE) {
        if (const auto resolving = worker->resolving_.find(key);
            resolving != worker->resolving_.end()) {
            avahi_service_resolver_free(resolving->second);
            worker->resolving_.erase(resolving);
        }
        if (worker->found_.erase(key))
            worker->Tell([key](TDiscovery *owner) { emit owner->Gone(key); });
        return;
    }
    // This copy itself is never offered; past the bounds, newcomers wait for room.
    if (flags & AVAHI_LOOKUP_RESULT_OUR_OWN || worker->resolving_.count(key) ||
        worker->resolving_.size() >= MaxResolving || worker->found_.size() >= MaxFound)
        return;
    if (auto *resolver =
            avahi_service_resolver_new(worker->client_, interface, protocol, name, type, domain,
                                       protocol, AvahiLookupFlags(0), OnResolve, worker))
        worker->resolving_[key] = resolver;
}

void TWorker::OnResolve(AvahiServiceResolver *resolver, AvahiIfIndex interface,
                        AvahiProtocol protocol, AvahiResolverEvent event, const char *name,
                        const char *, const char *domain, const char *, const AvahiAddress *address,
                        uint16_t port, AvahiStringList *, AvahiLookupResultFlags, void *self) {
    auto *worker = static_cast<TWorker *>(self);
    worker->resolving_.erase(RecordKey(interface, protocol, name, domain));
    avahi_service_resolver_free(resolver);
    if (event == AVAHI_RESOLVER_FOUND)
        worker->Resolved(interface, protocol, name, domain, address, port);
}

// Only a player Connect can reach is reported.
void TWorker::Resolved(AvahiIfIndex interface, AvahiProtocol protocol, const char *name,
                       const char *domain, const AvahiAddress *address, uint16_t port) {
    if (!address || port != s_->CallPort)
        return;
    const QString key = RecordKey(interface, protocol, name, domain);
    found_.insert(key);
    Tell([key, player = QString::fromUtf8(name), where = AddressText(*address, interface)](
             TDiscovery *owner) { emit owner->Found(key, player, where); });
}

} // namespace

TDiscovery::TDiscovery(quint16 callPort, QObject *parent)
    : QObject(parent), shared_(std::make_shared<TDiscoveryShared>(this, callPort)) {}

TDiscovery::~TDiscovery() {
    {
        std::lock_guard lock(shared_->Mutex);
        shared_->Owner = nullptr;
        shared_->Quit = true;
    }
    Wake();
    if (!worker_.joinable())
        return;
    std::unique_lock lock(shared_->Mutex);
    const bool ended = shared_->Ended.wait_for(lock, std::chrono::milliseconds(StopWaitMs),
                                               [this] { return shared_->Finished; });
    lock.unlock();
    if (ended)
        worker_.join();
    else
        worker_.detach(); // it still holds its share of the state
}

void TDiscovery::Start() {
    if (worker_.joinable() || shared_->Wake < 0)
        return;
    {
        std::lock_guard lock(shared_->Mutex);
        shared_->RetryMs = RetryMs;
    }
    worker_ = std::thread([shared = shared_] { TWorker(shared).Run(); });
}

void TDiscovery::SetName(const QString &name) {
    {
        std::lock_guard lock(shared_->Mutex);
        shared_->Name = ServiceName(name);
    }
    Wake();
}

void TDiscovery::Publish(quint16 port) {
    {
        std::lock_guard lock(shared_->Mutex);
        shared_->Port = port;
    }
    Wake();
}

void TDiscovery::Wake() {
    if (shared_->Wake >= 0)
        eventfd_write(shared_->Wake, 1);
}
