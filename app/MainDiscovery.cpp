#include "app/FirstFrame.h"
#include "app/Main.h"
#include "net/Discovery.h"

// Players on the local network are looked for, and this one is shown to them, once the first
// frame is out; the Connect box offers what was found.
void TMainForm::StartDiscovery(quint16 callPort) {
    discovery_ = std::make_unique<TDiscovery>(callPort);
    connect(discovery_.get(), &TDiscovery::Found, this,
            [this](const QString &key, const QString &name, const QString &address) {
                players_.Found(key, name, address);
            });
    connect(discovery_.get(), &TDiscovery::Gone, this,
            [this](const QString &key) { players_.Gone(key); });
    connect(discovery_.get(), &TDiscovery::AllGone, this, [this] { players_.Clear(); });
    discovery_->Publish(ListeningPort());
    AfterFirstFrame(this, [this] {
        discovery_->SetName(playerName_.Name());
        discovery_->Start();
    });
}
