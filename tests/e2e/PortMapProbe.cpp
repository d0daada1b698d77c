// Runs the program's port mapper against whatever router the network offers, as the program would:
// prints each status change as one line, keeps the forwarding until its input closes, then removes
// it and prints "stopped". Used by the home-network tests.
#include "net/PortMapper.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

namespace {
const char *StateName(TPortMapStatus::TState state) {
    switch (state) {
    case TPortMapStatus::TState::Idle:
        return "idle";
    case TPortMapStatus::TState::Discovering:
        return "discovering";
    case TPortMapStatus::TState::Mapped:
        return "mapped";
    case TPortMapStatus::TState::Failed:
        return "failed";
    }
    return "?";
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    TPortMapper mapper(1024);
    QObject::connect(&mapper, &TPortMapper::StatusChanged, [](const TPortMapStatus &status) {
        std::printf("%s external=%s lan=%s reason=%s\n", StateName(status.State),
                    qPrintable(status.ExternalAddress), qPrintable(status.LanAddress),
                    qPrintable(status.Reason));
        std::fflush(stdout);
    });
    QObject::connect(&mapper, &TPortMapper::Finished, &app, &QCoreApplication::quit);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            mapper.Stop();
        }
    });
    mapper.Start();
    const int code = app.exec();
    std::printf("stopped\n");
    return code;
}
