#include "app/AppSettings.h"
#include "desktop/ProgramMain.h"
#include "ui/DesktopUserInterface.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {
const char kUsage[] = "usage: quorvant [--app-dir DIR] [--choose-app-dir]\n"
                      "       quorvant --help | --version\n"
                      "options:\n"
                      "  --app-dir DIR      the application folder that holds the accounting data\n"
                      "  --choose-app-dir   ask for the application folder again\n"
                      "  --help             this text\n"
                      "  --version          the version\n";
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvant"));
    QApplication::setOrganizationName(QStringLiteral("Quorvant"));
    QApplication::setApplicationVersion(QStringLiteral(QV_VERSION));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption appDir(QStringLiteral("app-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption chooseAppDir(QStringLiteral("choose-app-dir"));
    parser.addOptions({help, version, appDir, chooseAppDir});
    if (!parser.parse(QApplication::arguments()) || !parser.positionalArguments().isEmpty()
        || (parser.isSet(appDir) && parser.value(appDir).isEmpty())) {
        const QString why = !parser.errorText().isEmpty() ? parser.errorText()
                            : !parser.positionalArguments().isEmpty()
                                ? QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first())
                                : QStringLiteral("--app-dir needs a folder");
        std::fprintf(stderr, "%s\n%s", qPrintable(why), kUsage);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("quorvant %s\n", QV_VERSION);
        return 0;
    }
    if (parser.isSet(appDir))
        SetAppFolderOverride(parser.value(appDir));
    if (parser.isSet(chooseAppDir))
        AskForAppFolder();

    DesktopUserInterface ui;
    InstallUserInterface(&ui);
    const int status = Main();
    if (status >= 0)
        return status;
    return app.exec();
}
