#include "net/PortMapper.h"

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
                      std::shared_ptr<std::atomic<bool>> cancelled)
        : Gateway_(std::move(gateway)),
          Mapping_(*Gateway_, port, QString::fromLatin1(TPortMapper::Description),
                   [cancelled] { return cancelled->load(); }) {}

    void Start(int renewMs) {
        emit Reported(Mapping_.Start());
        if (Mapping_.Status().State != TPortMapStatus::TState::Mapped)
            return;
        auto *renew = new QTimer(this);
        connect(renew, &QTimer::timeout, this, [this, renew] {
            emit Reported(Mapping_.Renew());
            if (Mapping_.Status().State != TPortMapStatus::TState::Mapped)
                renew->stop();
        });
        renew->start(renewMs);
    }

    void Stop() {
        const bool held = Mapping_.Status().State == TPortMapStatus::TState::Mapped;
        Mapping_.Remove();
        if (held)
            emit Reported(Mapping_.Status());
        emit Done();
        QThread::currentThread()->quit();
    }

  signals:
    void Reported(const TPortMapStatus &status);
    void Done();

  private:
    std::unique_ptr<TPortGateway> Gateway_;
    TPortMapping Mapping_;
};

TPortMapper::TPortMapper(quint16 port, std::unique_ptr<TPortGateway> gateway, QObject *parent)
    : QObject(parent), Port_(port), Gateway_(std::move(gateway)),
      Cancelled_(std::make_shared<std::atomic<bool>>(false)) {
    qRegisterMetaType<TPortMapStatus>();
}

TPortMapper::~TPortMapper() {
    Stop();
    if (Thread_ && !Thread_->wait(QDeadlineTimer(StopTimeoutMs))) {
        // A router call is still hanging: leave the thread to the end of the process.
        // Kept reachable, never destroyed: destroying a running QThread aborts the process.
        static auto *const orphans = new std::vector<QThread *>;
        disconnect(Worker_, nullptr, this, nullptr);
        orphans->push_back(Thread_.release());
    }
}

void TPortMapper::Start() {
    if (Thread_ || Stopped_)
        return;
    if (!Gateway_) {
        auto chain = std::make_unique<TGatewayChain>();
        chain->Add(std::make_unique<TUpnpGateway>());
        chain->Add(std::make_unique<TNatPmpGateway>());
        Gateway_ = std::move(chain);
    }
    Thread_ = std::make_unique<QThread>();
    Worker_ = new TPortMapperWorker(Port_, std::move(Gateway_), Cancelled_);
    Worker_->moveToThread(Thread_.get());
    connect(Thread_.get(), &QThread::finished, Worker_, &QObject::deleteLater);
    connect(Worker_, &TPortMapperWorker::Reported, this, &TPortMapper::Take);
    connect(Worker_, &TPortMapperWorker::Done, this, [this] {
        Stopped_ = true;
        emit Finished();
    });
    Thread_->start();
    Take({TPortMapStatus::TState::Discovering, {}, {}, {}});
    QMetaObject::invokeMethod(
        Worker_, [worker = Worker_, renew = RenewIntervalMs] { worker->Start(renew); },
        Qt::QueuedConnection);
}

void TPortMapper::Stop() {
    if (Cancelled_->exchange(true))
        return;
    if (!Thread_) {
        Stopped_ = true;
        Gateway_.reset();
        return;
    }
    QMetaObject::invokeMethod(
        Worker_, [worker = Worker_] { worker->Stop(); }, Qt::QueuedConnection);
}

void TPortMapper::Take(const TPortMapStatus &status) {
    Status_ = status;
    emit StatusChanged(Status_);
}

#include "PortMapper.moc"
