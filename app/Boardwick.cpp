#include "app/BoardwickApplication.h"
#include "app/Dialogs.h"
#include "app/Main.h"
#include "app/Unit1.h"
#include "net/SocketError.h"
#include "resources/Resources.h"

#include <QStandardPaths>

int main(int argc, char **argv) {
    TBoardwickApplication app(argc, argv);
    // The title comes first: the tray icon made with the main window takes it as its tip.
    QCoreApplication::setApplicationName(QStringLiteral("Boardwick ver 1.00"));
    InitBoardwickResources();

    TMainFormSeams seams;
    seams.ForwardPort = true;
    seams.Discover = true;
    seams.KeyFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/Boardwick");
    TMainForm mainForm(std::move(seams));
    TDialogs &dialogs = mainForm.Dialogs();
    app.OnException = InstallErrorBox(dialogs);

    TForm1 aboutBox(nullptr, &dialogs);
    mainForm.AttachAboutBox(&aboutBox);

    mainForm.show();
    const int result = app.exec();
    SetSocketExceptionHandler({});
    return result;
}
