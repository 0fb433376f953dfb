#include "GuiMain.h"

#include "AppSettings.h"
#include "Startup.h"
#include "UserInterface.h"
#include "context/MDIForm1.h"
#include "context/frmCompDef.h"
#include "context/frmSplash.h"
#include "returns/frmExportToXML.h"
#include "tariff/frmSelectFile.h"
#include "ui/FrmImages.h"
#include "ui/GuiEndProgram.h"
#include "ui/GuiFormLayout.h"

#include <QApplication>
#include <QScreen>

int Main()
{
    // A folder named by QUORVANT_HOME that is not there ends the program here,
    // before anything could be created in its place.
    if (const QString problem = ConfiguredAppFolderProblem(); !problem.isEmpty()) {
        StandardMessage(problem, kAppTitle, StdIcon::Critical, StdButtons::Ok);
        return 1;
    }
    if (!RunRegionalDateCheck())
        return 0;

    StartupFailure failure;
    if (!OpenStartupConnections(&failure)) {
        // No handler of its own here: the platform's error report, then the end.
        StandardMessage(QStringLiteral("Run-time error '%1':\r\n\r\n%2").arg(failure.number).arg(failure.description),
                        kAppTitle, StdIcon::Critical, StdButtons::Ok);
        return 1;
    }

    // Working windows of the menu; each is made once, on its first use.
    MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), [] { return new frmSelectFile; });
    MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), [] { return new frmExportToXML; });

    QApplication::setWindowIcon(FrmImages::icon(QStringLiteral("ImgXML")));
    auto *mainWindow = new MDIForm1;
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    // The whole screen also where no window manager maximizes windows.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        mainWindow->setGeometry(screen->availableGeometry());
    mainWindow->showMaximized();
    // The client area must have its final size before anything is centred over it.
    QApplication::processEvents();

    {
        frmSplash login(mainWindow);
        DisplayForm(&login, 1, 4);
    }
    if (ProgramEnding())
        return 0;
    {
        frmCompDef company(mainWindow);
        DisplayForm(&company, 1, 4);
    }
    if (ProgramEnding())
        return 0;
    return -1;
}
