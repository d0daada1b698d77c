#include "BoardwickApplication.h"
#include "Dialogs.h"
#include "Main.h"
#include "Unit1.h"
#include "net/SocketError.h"
#include "resources/Resources.h"

#include <QPushButton>

int main(int argc, char **argv) {
    TBoardwickApplication app(argc, argv);
    // The title comes first: the tray icon made with the main window takes it as its tip.
    QCoreApplication::setApplicationName(QStringLiteral("Boardwick ver 1.00"));
    InitBoardwickResources();

    TMainForm mainForm;
    TDialogs &dialogs = mainForm.Dialogs();
    app.OnException = [&dialogs](const std::exception &failure) { dialogs.ShowException(failure); };
    SetSocketExceptionHandler([&dialogs](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception &failure) {
            dialogs.ShowException(failure);
        }
    });

    TForm1 aboutBox(nullptr, &dialogs);
    aboutBox.GameInProgress = [&mainForm] { return !mainForm.BitBtn3->isEnabled(); };
    aboutBox.SetTimePerSide = [&mainForm](int minutes) { mainForm.TimePerSide = minutes; };
    mainForm.ShowAboutBox = [&aboutBox] { aboutBox.exec(); };

    mainForm.show();
    const int result = app.exec();
    SetSocketExceptionHandler({});
    return result;
}
