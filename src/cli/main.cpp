#include "CliCommand.h"
#include "CliConsole.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    CatchInterrupt();
    UseBinaryStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvant"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
    return RunCli(app.arguments());
}
