#pragma once

#include "CliCommand.h"
#include "app/UserInterface.h"

#include <QElapsedTimer>

// Exit status of a command the user stopped with Ctrl+C.
constexpr int CliCancelled = 130;

// The command line's side of the seam: messages on standard error as the
// console's, and the progress of long work there too: one line that rewrites
// itself on a terminal, plain lines once a second when asked for, or none.
class CliUserInterface : public ConsoleUserInterface
{
public:
    enum class Mode { None, Line, Plain };

    int showMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                    bool defaultNegative) override;
    StdResult standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                              StdResult defaultButton) override;
    void hidePleaseWait() override { clearLine(); }
    void showProgress(const ProgressState &state) override;

    void setMode(Mode mode);
    // Takes a rewriting line off the terminal before anything else is printed.
    void clearLine();

    // Quiet at first, then as long a wait before the first report.
    static constexpr qint64 kLineDelayMs = 500;
    static constexpr qint64 kLineEveryMs = 100;
    static constexpr qint64 kPlainEveryMs = 1000;

private:
    Mode m_mode = Mode::None;
    QElapsedTimer m_started;
    qint64 m_lastMs = 0;
    bool m_lineShown = false;
};

// The tool's one instance, installed by main.
CliUserInterface &CliInterface();

// --progress and --quiet, for the commands that show progress.
QList<CliOption> CliProgressOptions();
// Its progress, as --progress / --quiet / a terminal on standard error ask.
void StartCliProgress(const CliOptions &options);
