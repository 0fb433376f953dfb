#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Exit codes of every command.
enum CliExit { CliOk = 0, CliFailed = 1, CliUsage = 2 };

// A command of quorvant-cli. Each command lives in its own file and registers
// itself with QV_CLI_COMMAND; `args` are the words after the command's name
// (the shared --app-dir option is already taken out).
struct CliCommand
{
    QString name;
    QString usage;
    std::function<int(const QStringList &args)> run;
    bool stoppable = false; // Ctrl+C cancels its work (see CliProgress.h) rather than ending the process
};

int registerCliCommand(const CliCommand &command);

#define QV_CLI_CONCAT2(a, b) a##b
#define QV_CLI_CONCAT(a, b) QV_CLI_CONCAT2(a, b)
#define QV_CLI_COMMAND(name, usage, fn)                                                                                \
    static const int QV_CLI_CONCAT(qv_cli_command_, __LINE__) = registerCliCommand(CliCommand{name, usage, fn});
#define QV_CLI_STOPPABLE_COMMAND(name, usage, fn)                                                                      \
    static const int QV_CLI_CONCAT(qv_cli_command_, __LINE__) = registerCliCommand(CliCommand{name, usage, fn, true});

// Small option reader: "--name value" pairs and "--flag" switches.
class CliOptions
{
public:
    // `valued` lists the options that take a value, `flags` those that do not.
    CliOptions(const QStringList &args, const QStringList &valued, const QStringList &flags = {});
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool has(const QString &name) const;
    QString value(const QString &name, const QString &fallback = QString()) const;
    QStringList positional() const { return m_positional; }
    // What is wrong with the words for a command that takes no positional
    // arguments and needs `required`; empty when nothing is.
    QString problem(const QStringList &required) const;

private:
    QStringList m_names;
    QStringList m_values;
    QStringList m_positional;
    QString m_error;
};

// Writes a line to standard output / standard error. cliOut gives false when
// the line could not be written whole; the command then fails (see main).
bool cliOut(const QString &line);
void cliErr(const QString &line);
// Says why and how the command is used on standard error; gives CliUsage.
int cliUsageError(const QString &why, const QString &usage);
