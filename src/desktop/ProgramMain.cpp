#include "ProgramMain.h"

#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "app/ErrorLog.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "context/Startup.h"
#include "context/frmCompDef.h"
#include "context/frmSplash.h"
#include "desktop/WorkingWindows.h"
#include "ui/EndProgram.h"
#include "ui/FormDisplay.h"
#include "ui/FrmImages.h"
#include "ui/WindowKit.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

namespace {
bool g_askForAppFolder = false;
} // namespace

void AskForAppFolder()
{
    g_askForAppFolder = true;
}

int Main()
{
    // Under the start-up handler: a failure before the connections is logged
    // as "Error in Main", shown, and ends the program. The folder comes first,
    // so nothing is ever created in one that is not there.
    QString problem;
    switch (SettleAppFolder(g_askForAppFolder, &problem)) {
    case AppFolderOutcome::Ready:
        break;
    case AppFolderOutcome::Cancelled:
        return 0;
    case AppFolderOutcome::Failed:
        // The error log lives in that folder: without it, only the message.
        if (QFileInfo(AppFolder()).isDir())
            LogError(ErrPathNotFound, problem, QStringLiteral("Error in Main"), QString(), true);
        else
            StandardMessage(QStringLiteral("Error in Main\r\n%1\r\n%2").arg(ErrPathNotFound).arg(problem), kAppTitle,
                            StdIcon::Exclamation, StdButtons::Ok);
        return 1;
    }
    if (!RunRegionalDateCheck())
        return 0;

    StartupFailure failure;
    // Without a tariff master the program still starts, so that Tariff -> Import can make one.
    if (!OpenStartupConnections(&failure) && failure.tariffMasterMissing) {
        StandardMessage(failure.description, kAppTitle, StdIcon::Critical, StdButtons::Ok);
    } else if (!failure.description.isEmpty()) {
        // No handler of its own here: the platform's error report, then the end.
        StandardMessage(QStringLiteral("Run-time error '%1':\r\n\r\n%2").arg(failure.number).arg(failure.description),
                        kAppTitle, StdIcon::Critical, StdButtons::Ok);
        return 1;
    }

    // Working windows of the menu; each is made once, on its first use.
    RegisterWorkingWindows();
    InstallFocusFrames();

    QApplication::setWindowIcon(FrmImages::icon(QStringLiteral("ImgXML")));
    auto *mainWindow = new MDIForm1;
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    // Restored from maximised, the window takes most of the screen, its title
    // bar on it (move() places the frame, not the client area).
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        const QSize size = (free.size() * 0.85).expandedTo(mainWindow->minimumSize()).boundedTo(free.size());
        mainWindow->resize(size);
        mainWindow->move(free.topLeft()
                         + QPoint((free.width() - size.width()) / 2, (free.height() - size.height()) / 2));
    }
    mainWindow->showMaximized();
    // Where no window manager maximizes windows, the whole screen all the same.
    QTimer::singleShot(500, mainWindow, [mainWindow] {
        const QScreen *screen = mainWindow->screen();
        if (screen && mainWindow->frameGeometry().width() < screen->availableGeometry().width() * 95 / 100)
            mainWindow->setGeometry(screen->availableGeometry());
    });
    // The client area must have its final size before anything is centred over it.
    QApplication::processEvents();

    {
        frmSplash login(mainWindow);
        DisplayForm(&login, FormMode::Modal, FormPosition::Centre);
    }
    if (ProgramEnding())
        return 0;
    {
        frmCompDef company(mainWindow);
        DisplayForm(&company, FormMode::Modal, FormPosition::Centre);
    }
    if (ProgramEnding())
        return 0;
    return -1;
}
