#include "CliProgress.h"

#include "CliCommand.h"
#include "CliConsole.h"

#include <cstdio>

namespace {
void writeErr(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}
} // namespace

CliUserInterface &CliInterface()
{
    static CliUserInterface ui;
    return ui;
}

int CliUserInterface::showMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                                  bool defaultNegative)
{
    clearLine();
    return ConsoleUserInterface::showMessage(text, title, boxType, buttonStyle, defaultNegative);
}

StdResult CliUserInterface::standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                                            StdResult defaultButton)
{
    clearLine();
    return ConsoleUserInterface::standardMessage(text, title, icon, buttons, defaultButton);
}

void CliUserInterface::setMode(Mode mode)
{
    m_mode = mode;
    m_started.start();
    m_lastMs = 0;
}

void CliUserInterface::showProgress(const ProgressState &state)
{
    if (m_mode == Mode::None)
        return;
    const qint64 now = m_started.elapsed();
    const bool line = m_mode == Mode::Line;
    const bool last = state.total >= 0 && state.done == state.total; // a phase's end shows on a terminal at once
    if (now < (line ? kLineDelayMs : kPlainEveryMs)
        || (!(line && last) && now - m_lastMs < (line ? kLineEveryMs : kPlainEveryMs)))
        return;
    m_lastMs = now;
    const QByteArray text = ProgressText(state).toUtf8();
    if (line) {
        writeErr("\r" + text + "\x1b[K");
        m_lineShown = true;
    } else {
        writeErr(text + '\n');
    }
}

void CliUserInterface::clearLine()
{
    if (!m_lineShown)
        return;
    m_lineShown = false;
    writeErr("\r\x1b[K");
}

namespace {
const QCommandLineOption kProgress(QStringLiteral("progress"),
                                   QStringLiteral("progress as plain lines, once a second"));
const QCommandLineOption kQuiet(QStringLiteral("quiet"), QStringLiteral("no progress"));
} // namespace

QList<CliOption> CliProgressOptions()
{
    return {{kProgress}, {kQuiet}};
}

void StartCliProgress(const CliOptions &options)
{
    CliUserInterface::Mode mode = CliUserInterface::Mode::None;
    if (options.has(kQuiet))
        mode = CliUserInterface::Mode::None;
    else if (options.has(kProgress))
        mode = CliUserInterface::Mode::Plain;
    else if (PrepareProgressLine())
        mode = CliUserInterface::Mode::Line;
    CliInterface().setMode(mode);
}
