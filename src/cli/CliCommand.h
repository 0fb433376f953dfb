#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Exit codes of every command.
enum CliExit { CliOk = 0, CliFailed = 1, CliUsage = 2 };

// An option of a command, declared once: the parser, the command's help and
// the code that reads the value all take this one declaration.
struct CliOption
{
    QCommandLineOption option;
    bool required = false;
};

class CliOptions;

// A command of quorvant-cli, one per file (CliCommands() lists them).
struct CliCommand
{
    QString name;
    QString arguments; // the positional arguments in the synopsis ("FILE"); none are taken when empty
    QString description; // what it does, for the help
    QList<CliOption> options;
    std::function<int(const CliOptions &)> run;
    bool stoppable = false; // Ctrl+C cancels its work (see CliProgress.h) rather than ending the process

    // "export --company CODE ... [--xlsx]" and what it does below it.
    QString usage() const;
    // The usage, then a line for each option.
    QString help() const;
};

// The words after a command's name, read against the command's options.
class CliOptions
{
public:
    CliOptions(const QStringList &args, const CliCommand &command);
    // An unknown option, a required one missing or a word the command does not
    // take; empty when there is none.
    QString problem() const { return m_problem; }
    bool has(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    // The last value given, or `fallback` when the option is not given at all.
    QString value(const QCommandLineOption &option, const QString &fallback = QString()) const;
    QStringList positional() const { return m_parser.positionalArguments(); }
    const CliCommand &command() const { return m_command; }

private:
    const CliCommand &m_command;
    QCommandLineParser m_parser;
    QString m_problem;
};

// Every command, by name.
const std::vector<CliCommand> &CliCommands();

// What quorvant-cli does with its arguments (the program's name first):
// the tool's own options, then the command. Gives the exit status.
int RunCli(const QStringList &arguments);

// Writes a line to standard output / standard error. cliOut gives false when
// the line could not be written whole; the command then fails (see RunCli).
bool cliOut(const QString &line);
void cliErr(const QString &line);
// Says why and how the command is used on standard error; gives CliUsage.
int cliUsageError(const QString &why, const CliOptions &options);

// The commands, one per file.
CliCommand CompaniesCliCommand();
CliCommand ExportCliCommand();
CliCommand CheckCliCommand();
CliCommand SummaryCliCommand();
CliCommand ToXlsxCliCommand();
CliCommand ValidateCliCommand();
CliCommand ImportTariffCliCommand();
CliCommand ReturnsCliCommand();
CliCommand CompareCliCommand();
