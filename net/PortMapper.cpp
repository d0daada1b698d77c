#include "net/PortMapper.h"

#include "net/GatewayChain.h"
#include "net/NatPmpGateway.h"
#include "net/UpnpGateway.h"

#include <QDeadlineTimer>
#include <QTimer>
#include <vector>

// Owns the gateway and the mapping; every member runs on the worker thread.
class TPortMapperWorker : public QObject {
    Q_OBJECT
  public:
    TPortMapperWorker(quint16 port, std::unique_ptr<TPortGateway> gateway,
                      std::shared_ptr<std::atomic<bool>> cancelled, int renewMs, int retryFirstMs)
        : gateway_(std::move(gateway)),
          mapping_(*gateway_, port, QString::fromLatin1(TPortMapper::Description),
                   [cancelled] { return cancelled->load(); }),
          renewMs_(renewMs), retryFirstMs_(retryFirstMs), renew_(new QTimer(this)) {
        renew_->setSingleShot(true);
        connect(renew_, &QTimer::timeout, this, &TPortMapperWorker::Renew);
    }

    void Start() {
        failures_ = 0;
        emit Reported(mapping_.Start());
        Schedule();
    }

    void Pause() {
        renew_->stop();
        mapping_.Remove();
        emit Reported(mapping_.Status());
    }

    void Stop() {
        renew_->stop();
        const bool held = mapping_.Status().State == TPortMapStatus::TState::Mapped;
        mapping_.Remove();
        if (held)
            emit Reported(mapping_.Status());
        emit Done();
        QThread::currentThread()->quit();
    }

  signals:
    void Reported(const TPortMapStatus &status);
    void Done();

  private:
    void Renew() {
        const TPortMapStatus &status = mapping_.Renew();
        failures_ = status.State == TPortMapStatus::TState::Mapped ? 0 : failures_ + 1;
        emit Reported(status);
        Schedule();
    }

    // A failed renewal is tried again, soon at first: the router may only have been restarting.
    void Schedule() {
        if (!mapping_.Renewing())
            return;
        const int renewMs = renewMs_ > 0 ? renewMs_ : mapping_.RenewIntervalMs();
        renew_->start(failures_ == 0 ? renewMs : RetryDelayMs(failures_, retryFirstMs_, renewMs));
    }

    std::unique_ptr<TPortGateway> gateway_;
    TPortMapping mapping_;
    int renewMs_;
    int retryFirstMs_;
    QTimer *renew_;    // child
    int failures_ = 0; // renewals failed in a row
};

TPortMapper::TPortMapper(quint16 port, std::unique_ptr<TPortGateway> gateway, QObject *parent)
    : QObject(parent), port_(port), gateway_(std::move(gateway)),
      cancelled_(std::make_shared<std::atomic<bool>>(false)) {
    qRegisterMetaType<TPortMapStatus>();
}

TPortMapper::~TPortMapper() {
    Stop();
    if (thread_ && !thread_->wait(QDeadlineTimer(StopTimeoutMs))) {
        // A router call is still hanging: leave the thread to the end of the process.
        // Kept reachable, never destroyed: destroying a running QThread aborts the process.
        static auto *const orphans = new std::vector<QThread *>;
        disconnect(worker_, nullptr, this, nullptr);
        orphans->push_back(thread_.release());
    }
}

void TPortMapper::Start() {
    if (thread_ || stopped_)
        return;
    if (!gateway_) {
        auto chain = std::make_unique<TGatewayChain>();
        chain->Add(std::make_unique<TUpnpGateway>());
        chain->Add(std::make_unique<TNatPmpGateway>());
        gateway_ = std::move(chain);
    }
    thread_ = std::make_unique<QThread>();
    worker_ = new TPortMapperWorker(port_, std::move(gateway_), cancelled_, RenewIntervalMs,
                                    RetryFirstMs);
    worker_->moveToThread(thread_.get());
    connect(thread_.get(), &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &TPortMapperWorker::Reported, this, &TPortMapper::Take);
    connect(worker_, &TPortMapperWorker::Done, this, [this] {
        stopped_ = true;
        emit Finished();
    });
    thread_->start();
    if (listening_)
        Map();
}

void TPortMapper::Map() {
    Take({TPortMapStatus::TState::Discovering, {}, {}, {}});
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->Start(); }, Qt::QueuedConnection);
}

void TPortMapper::SetListening(bool listening) {
    if (listening == listening_)
        return;
    listening_ = listening;
    if (!thread_ || cancelled_->load())
        return;
    if (listening)
        Map();
    else
        QMetaObject::invokeMethod(
            worker_, [worker = worker_] { worker->Pause(); }, Qt::QueuedConnection);
}

void TPortMapper::Stop() {
    if (cancelled_->exchange(true))
        return;
    if (!thread_) {
        stopped_ = true;
        gateway_.reset();
        return;
    }
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->Stop(); }, Qt::QueuedConnection);
}

void TPortMapper::Take(const TPortMapStatus &status) {
    status_ = status;
    emit StatusChanged(status_);
}

#include "PortMapper.moc"
