#include "app/BoardwickApplication.h"

#include "app/Dialogs.h"
#include "net/SocketError.h"

#include <stdexcept>

bool DeliverGuarded(const std::function<bool()> &deliver,
                    const std::function<void(const std::exception &)> &report) {
    try {
        return deliver();
    } catch (const std::exception &failure) {
        if (report)
            report(failure);
    } catch (...) {
        if (report)
            report(std::runtime_error("Unknown failure"));
    }
    return false;
}

TBoardwickApplication::TBoardwickApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TBoardwickApplication::notify(QObject *receiver, QEvent *event) {
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); }, OnException);
}

std::function<void(const std::exception &)> InstallErrorBox(TDialogs &dialogs) {
    auto show = [&dialogs](const std::exception &failure) { dialogs.ShowException(failure); };
    SetSocketExceptionHandler([show](std::exception_ptr error) {
        DeliverGuarded([&error]() -> bool { std::rethrow_exception(error); }, show);
    });
    return show;
}
