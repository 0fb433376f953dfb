#include "UserInterface.h"

#include <cstdio>

namespace {
ConsoleUserInterface g_console;
UserInterface *g_ui = nullptr;

void printToStderr(const QString &text)
{
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QByteArray bytes = flat.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
} // namespace

void InstallUserInterface(UserInterface *ui)
{
    g_ui = ui;
}

UserInterface &CurrentUserInterface()
{
    return g_ui ? *g_ui : g_console;
}

int ShowMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                bool defaultNegative)
{
    return CurrentUserInterface().showMessage(text, title, boxType, buttonStyle, defaultNegative);
}

StdResult StandardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                          StdResult defaultButton)
{
    return CurrentUserInterface().standardMessage(text, title, icon, buttons, defaultButton);
}

void ShowPleaseWait()
{
    CurrentUserInterface().showPleaseWait();
}

void HidePleaseWait()
{
    CurrentUserInterface().hidePleaseWait();
}

void DoEvents()
{
    CurrentUserInterface().processEvents();
}

int ConsoleUserInterface::showMessage(const QString &text, const QString &, MsgBoxType, MsgButtons buttonStyle,
                                      bool defaultNegative)
{
    printToStderr(text);
    // The answer a user gets by pressing Enter on a fresh box.
    return (buttonStyle == MsgButtons::YesNo && defaultNegative) ? 1 : 0;
}

StdResult ConsoleUserInterface::standardMessage(const QString &text, const QString &, StdIcon, StdButtons,
                                                StdResult defaultButton)
{
    printToStderr(text);
    return defaultButton;
}
