// quorvant-screenshots: the desktop program, driven through its windows by
// the screenshot tour. Usage: quorvant-screenshots FOLDER
#include "ScreenshotTour.h"
#include "desktop/ProgramMain.h"
#include "ui/DesktopUserInterface.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvant"));
    QApplication::setOrganizationName(QStringLiteral("Quorvant"));
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: quorvant-screenshots FOLDER\n", stderr);
        return 2;
    }
    DesktopUserInterface ui;
    InstallUserInterface(&ui);
    StartScreenshotTour(args.at(1));
    const int status = Main();
    if (status >= 0)
        return status;
    return app.exec();
}
