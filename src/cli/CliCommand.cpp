#include "CliCommand.h"

#include "CliConsole.h"
#include "CliProgress.h"
#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "app/RegularFile.h"
#include "app/UserInterface.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {
// errno of the first write to standard output that failed; 0 while none has.
int g_outputError = 0;

const QString kIndent = QStringLiteral("         ");

QString optionText(const QCommandLineOption &option)
{
    QString text = QStringLiteral("--") + option.names().first();
    if (!option.valueName().isEmpty())
        text += QLatin1Char(' ') + option.valueName();
    return text;
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
    QStringList stoppable;
    for (const CliCommand &command : CliCommands()) {
        text += QStringLiteral("\n  ") + command.usage();
        if (command.stoppable)
            stoppable << command.name;
    }
    text += QStringLiteral("\nexit status: 0 success, 1 failure, 2 usage error or no application folder,\n"
                           "             130 stopped by Ctrl+C (%1)")
                .arg(stoppable.join(QStringLiteral(", ")));
    print(text);
    return CliUsage;
}
} // namespace

QString CliCommand::usage() const
{
    QStringList words{name};
    if (!arguments.isEmpty())
        words << arguments;
    for (const CliOption &o : options)
        words << (o.required ? optionText(o.option) : QLatin1Char('[') + optionText(o.option) + QLatin1Char(']'));
    // The synopsis wrapped at about 100 columns; the description below it.
    QString text, line;
    for (const QString &word : words) {
        if (!line.isEmpty() && line.size() + word.size() > 100) {
            text += line + QLatin1Char('\n');
            line = kIndent;
        }
        line += (line.isEmpty() || line == kIndent ? QString() : QStringLiteral(" ")) + word;
    }
    text += line;
    for (const QString &part : description.split(QLatin1Char('\n')))
        text += QLatin1Char('\n') + kIndent + part;
    return text;
}

QString CliCommand::help() const
{
    QString text = QStringLiteral("usage: quorvant-cli [--app-dir DIR] ") + usage();
    if (options.isEmpty())
        return text;
    qsizetype width = 0;
    for (const CliOption &o : options)
        width = std::max(width, optionText(o.option).size());
    text += QStringLiteral("\noptions:");
    for (const CliOption &o : options)
        text += QStringLiteral("\n  ") + optionText(o.option).leftJustified(width + 2) + o.option.description();
    return text;
}

CliOptions::CliOptions(const QStringList &args, const CliCommand &command)
    : m_command(command)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const CliOption &o : command.options)
        m_parser.addOption(o.option);
    if (!m_parser.parse(QStringList{QStringLiteral("quorvant-cli")} + args)) {
        m_problem = m_parser.errorText();
        return;
    }
    // As many words as the synopsis names ("BEFORE.xml AFTER.xml").
    const QStringList wanted = command.arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList given = positional();
    if (given.size() > wanted.size()) {
        m_problem = QStringLiteral("unexpected argument %1").arg(given[wanted.size()]);
        return;
    }
    if (given.size() < wanted.size()) {
        m_problem = QStringLiteral("%1 is needed").arg(wanted.mid(given.size()).join(QLatin1Char(' ')));
        return;
    }
    for (const CliOption &o : command.options)
        if (o.required && !has(o.option)) {
            m_problem = QStringLiteral("--%1 is required").arg(o.option.names().first());
            return;
        }
}

QString CliOptions::value(const QCommandLineOption &option, const QString &fallback) const
{
    return has(option) ? m_parser.value(option) : fallback;
}

int cliUsageError(const QString &why, const CliOptions &options)
{
    cliErr(why);
    cliErr(QStringLiteral("usage: quorvant-cli ") + options.command().usage());
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

const std::vector<CliCommand> &CliCommands()
{
    static const std::vector<CliCommand> commands = [] {
        std::vector<CliCommand> list{CheckCliCommand(),   CompaniesCliCommand(),    CompareCliCommand(),
                                     ExportCliCommand(),  ImportTariffCliCommand(), ReturnsCliCommand(),
                                     SummaryCliCommand(), ToXlsxCliCommand(),       ValidateCliCommand()};
        std::sort(list.begin(), list.end(), [](const CliCommand &a, const CliCommand &b) { return a.name < b.name; });
        return list;
    }();
    return commands;
}

int RunCli(const QStringList &arguments)
{
    // Options before the command are the tool's own; what follows the command is its.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption appDir(QStringLiteral("app-dir"), QString(), QStringLiteral("DIR"));
    parser.addOptions({help, version, appDir});
    if (!parser.parse(arguments)) {
        cliErr(parser.errorText());
        return usage(cliErr);
    }
    if (parser.isSet(version)) {
        cliOut(QStringLiteral("quorvant-cli ") + QStringLiteral(QV_VERSION));
        return CliOk;
    }
    const QStringList words = parser.positionalArguments();
    if (parser.isSet(help) || words.value(0) == QLatin1String("help")) {
        usage(cliOut);
        return CliOk;
    }
    if (words.isEmpty())
        return usage(cliErr);
    const auto it = std::find_if(CliCommands().begin(), CliCommands().end(),
                                 [&](const CliCommand &c) { return c.name == words.first(); });
    if (it == CliCommands().end()) {
        cliErr(QStringLiteral("unknown command: %1").arg(words.first()));
        return usage(cliErr);
    }
    const QStringList args = words.mid(1);
    if (args.contains(QStringLiteral("--help"))) {
        cliOut(it->help());
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
    const CliOptions options(args, *it);
    if (!options.problem().isEmpty())
        return cliUsageError(options.problem(), options);
    InstallUserInterface(&CliInterface());
    if (!it->stoppable)
        DefaultInterrupt();
    const int status = it->run(options);
    // What a command printed is its result: unseen, the command has not done its job.
    if (g_outputError != 0) {
        cliErr(QStringLiteral("Could not write to standard output: %1").arg(SystemErrorText(g_outputError)));
        return status == CliOk ? CliFailed : status;
    }
    return status;
}
