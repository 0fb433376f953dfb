#include "app/GuiMain.h"
#include "ui/QtUserInterface.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvant"));
    QApplication::setOrganizationName(QStringLiteral("Quorvant"));
    QtUserInterface ui;
    installUserInterface(&ui);
    const int status = Main();
    if (status >= 0)
        return status;
    return app.exec();
}
