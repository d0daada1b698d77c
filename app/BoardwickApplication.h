#pragma once
#include <QApplication>

#include <exception>
#include <functional>

class TDialogs;

// Runs deliver; a failure that escapes it goes to report instead of unwinding further.
// Answers deliver's result, or false when it failed.
bool DeliverGuarded(const std::function<bool()> &deliver,
                    const std::function<void(const std::exception &)> &report);

// The application object: every event is delivered under DeliverGuarded, so a failure that
// leaves an event handler is shown in the error box and the program carries on.
class TBoardwickApplication : public QApplication {
  public:
    TBoardwickApplication(int &argc, char **argv);

    std::function<void(const std::exception &)> OnException;

    bool notify(QObject *receiver, QEvent *event) override;
};

// Makes dialogs' error box the place where failures end up: installs the socket layer's handler for
// failures that leave a socket event, and answers the handler for the application's OnException.
std::function<void(const std::exception &)> InstallErrorBox(TDialogs &dialogs);
