#include "GuiMain.h"

#include "AppSettings.h"
#include "Startup.h"
#include "UserInterface.h"

#include <QMainWindow>

int Main()
{
    if (!RunRegionalDateCheck())
        return 0;

    StartupFailure failure;
    if (!OpenStartupConnections(&failure)) {
        // No handler of its own here: the platform's error report, then the end.
        StandardMessage(QStringLiteral("Run-time error '%1':\r\n\r\n%2").arg(failure.number).arg(failure.description),
                        kAppTitle, StdIcon::Critical, StdButtons::Ok);
        return 1;
    }

    static QMainWindow *mainWindow = new QMainWindow;
    mainWindow->setWindowTitle(kAppTitle);
    mainWindow->resize(1024, 700);
    mainWindow->show();
    return -1;
}
