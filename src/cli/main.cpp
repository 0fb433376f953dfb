#include "CliCommand.h"

#include "app/AppSettings.h"
#include "app/Folders.h"
#include "app/RegularFile.h"
#include "app/UserInterface.h"

#include <QCoreApplication>

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

int usage()
{
    QString text = QStringLiteral("usage: quorvant-cli [--app-dir DIR] COMMAND [OPTIONS]\ncommands:");
    for (const auto &[name, command] : commands())
        text += QStringLiteral("\n  ") + command.usage;
    cliErr(text);
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
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!a.startsWith(QLatin1String("--"))) {
            m_positional << a;
            continue;
        }
        if (flags.contains(a)) {
            m_names << a;
            m_values << QString();
        } else if (valued.contains(a)) {
            if (i + 1 >= args.size()) {
                m_error = QStringLiteral("%1 needs a value").arg(a);
                return;
            }
            m_names << a;
            m_values << args.at(++i);
        } else {
            m_error = QStringLiteral("unknown option %1").arg(a);
            return;
        }
    }
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
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvant"));
    QStringList args = app.arguments().mid(1);

    const qsizetype dirAt = args.indexOf(QStringLiteral("--app-dir"));
    if (dirAt >= 0) {
        if (dirAt + 1 >= args.size())
            return usage();
        if (args.at(dirAt + 1).isEmpty()) {
            cliErr(QStringLiteral("--app-dir needs a folder"));
            return CliUsage;
        }
        setAppFolderOverride(args.at(dirAt + 1));
        args.remove(dirAt, 2);
    }
    // Checked before any command runs, so nothing is ever created in a folder
    // that is not there.
    if (const QString problem = ConfiguredAppFolderProblem(); !problem.isEmpty()) {
        cliErr(problem);
        return CliUsage;
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("help"))
        return args.isEmpty() ? usage() : (usage(), CliOk);

    const auto it = commands().find(args.first());
    if (it == commands().end()) {
        cliErr(QStringLiteral("unknown command: %1").arg(args.first()));
        return usage();
    }
    ConsoleUserInterface console;
    installUserInterface(&console);
    const int status = it->second.run(args.mid(1));
    // What a command printed is its result: unseen, the command has not done its job.
    if (g_outputError != 0) {
        cliErr(QStringLiteral("Could not write to standard output: %1").arg(SystemErrorText(g_outputError)));
        return status == CliOk ? CliFailed : status;
    }
    return status;
}
