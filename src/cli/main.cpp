#include "CliCommand.h"
#include "CliConsole.h"
#include "CliProgress.h"

#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "app/Folders.h"
#include "app/RegularFile.h"
#include "app/UserInterface.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>

#include <cerrno>
#include <cstdio>
#include <map>

namespace {
// errno of the first write to standard output that failed; 0 while none has.
int g_outputError = 0;

std::map<QString, CliCommand> &commands()
{
    static std::map<QString, CliCommand> c;
    return c;
}

// The tool's usage, to standard output (asked for) or standard error (a mistake).
template <typename Print> int usage(Print print)
{
    QString text =
        QStringLiteral("usage: quorvant-cli [--app-dir DIR] COMMAND [OPTIONS]\n"
                       "       quorvant-cli --help | --version\n"
                       "       quorvant-cli COMMAND --help\n"
                       "options:\n"
                       "  --app-dir DIR   the application folder (accounting data, Data/db.sqlite, ACES/);\n"
                       "                  otherwise QUORVANT_HOME, the folder chosen in the desktop program,\n"
                       "                  or the program's own folder when it holds the accounting data\n"
                       "  --help          this text\n"
                       "  --version       the version\n"
                       "commands:");
    for (const auto &[name, command] : commands())
        text += QStringLiteral("\n  ") + command.usage;
    text += QStringLiteral("\nexit status: 0 success, 1 failure, 2 usage error or no application folder,\n"
                           "             130 stopped by Ctrl+C (export, check, import-tariff, returns)");
    print(text);
    return CliUsage;
}
} // namespace

int registerCliCommand(const CliCommand &command)
{
    commands()[command.name] = command;
    return int(commands().size());
}

CliOptions::CliOptions(const QStringList &args, const QStringList &valued, const QStringList &flags)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString &name : valued)
        parser.addOption(QCommandLineOption(name.mid(2), QString(), QStringLiteral("value")));
    for (const QString &name : flags)
        parser.addOption(QCommandLineOption(name.mid(2)));
    if (!parser.parse(QStringList{QStringLiteral("quorvant-cli")} + args)) {
        m_error = parser.errorText();
        return;
    }
    QHash<QString, qsizetype> taken;
    for (const QString &name : parser.optionNames()) {
        const QString option = QStringLiteral("--") + name;
        m_names << option;
        m_values << (valued.contains(option) ? parser.values(name).value(taken[name]++) : QString());
    }
    m_positional = parser.positionalArguments();
}

bool CliOptions::has(const QString &name) const
{
    return m_names.contains(name);
}

QString CliOptions::value(const QString &name, const QString &fallback) const
{
    const qsizetype i = m_names.lastIndexOf(name);
    return i < 0 ? fallback : m_values.at(i);
}

QString CliOptions::problem(const QStringList &required) const
{
    if (!ok())
        return error();
    if (!m_positional.isEmpty())
        return QStringLiteral("unexpected argument %1").arg(m_positional.first());
    for (const QString &name : required)
        if (!has(name))
            return QStringLiteral("%1 is required").arg(name);
    return QString();
}

int cliUsageError(const QString &why, const QString &usage)
{
    cliErr(why);
    cliErr(QStringLiteral("usage: quorvant-cli ") + usage);
    return CliUsage;
}

bool cliOut(const QString &line)
{
    CliInterface().clearLine();
    const QByteArray bytes = line.toUtf8() + '\n';
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
                         && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written && g_outputError == 0)
        g_outputError = errno ? errno : EIO;
    return written;
}

void cliErr(const QString &line)
{
    CliInterface().clearLine();
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int main(int argc, char **argv)
{
    CatchInterrupt();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvant"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));

    // Options before the command are the tool's own; what follows the command is its.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption appDir(QStringLiteral("app-dir"), QString(), QStringLiteral("DIR"));
    parser.addOptions({help, version, appDir});
    if (!parser.parse(app.arguments())) {
        cliErr(parser.errorText());
        return usage(cliErr);
    }
    if (parser.isSet(version)) {
        cliOut(QStringLiteral("quorvant-cli ") + QCoreApplication::applicationVersion());
        return CliOk;
    }
    const QStringList words = parser.positionalArguments();
    if (parser.isSet(help) || words.value(0) == QLatin1String("help")) {
        usage(cliOut);
        return CliOk;
    }
    if (words.isEmpty())
        return usage(cliErr);
    const auto it = commands().find(words.first());
    if (it == commands().end()) {
        cliErr(QStringLiteral("unknown command: %1").arg(words.first()));
        return usage(cliErr);
    }
    const QStringList args = words.mid(1);
    if (args.contains(QStringLiteral("--help"))) {
        cliOut(QStringLiteral("usage: quorvant-cli [--app-dir DIR] ") + it->second.usage);
        return CliOk;
    }

    if (parser.isSet(appDir)) {
        if (parser.value(appDir).isEmpty()) {
            cliErr(QStringLiteral("--app-dir needs a folder"));
            return CliUsage;
        }
        SetAppFolderOverride(parser.value(appDir));
    }
    // Settled before any command runs, so nothing is ever created in a folder
    // that is not there; the command line never asks for one.
    if (const QString problem = CliAppFolderProblem(); !problem.isEmpty()) {
        cliErr(problem);
        return CliUsage;
    }
    InstallUserInterface(&CliInterface());
    if (!it->second.stoppable)
        DefaultInterrupt();
    const int status = it->second.run(args);
    // What a command printed is its result: unseen, the command has not done its job.
    if (g_outputError != 0) {
        cliErr(QStringLiteral("Could not write to standard output: %1").arg(SystemErrorText(g_outputError)));
        return status == CliOk ? CliFailed : status;
    }
    return status;
}
