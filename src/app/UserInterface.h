#pragma once

#include "app/MsgBoxCodes.h" // the box types and buttons ShowMessage takes
#include "app/Progress.h"

#include <QList>
#include <QString>

// The one seam between core code and windows. Core code never opens a window:
// every message, question and the please-wait indicator go through here.
enum class StdIcon { None, Information, Question, Exclamation, Critical };
enum class StdButtons { Ok, OkCancel, RetryCancel, YesNo };
enum class StdResult { Ok, Cancel, Retry, Yes, No };

class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // The program's own message box. Result 0 when the left button (Ok/Yes)
    // closed it, 1 in every other case.
    virtual int showMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                            bool defaultNegative) = 0;

    // The platform's standard message box; returns the button pressed.
    virtual StdResult standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                                      StdResult defaultButton) = 0;

    virtual void showPleaseWait() = 0;
    virtual void hidePleaseWait() = 0;
    // Let pending window events run.
    virtual void processEvents() = 0;
    // How far long work is, a few times a second while it runs (see
    // ProgressPhase); the desktop lets its windows repaint here.
    virtual void showProgress(const ProgressState &state) { Q_UNUSED(state); }
    // Back to the normal arrow pointer (a failed routine may have left the hourglass).
    virtual void restoreCursor() {}
    // The platform's folder chooser with `question` as its caption, opened at
    // `start`; the chosen folder, or empty when the user cancelled. Where no
    // one can be asked, nothing is chosen.
    virtual QString chooseFolder(const QString &question, const QString &start)
    {
        Q_UNUSED(question);
        Q_UNUSED(start);
        return QString();
    }
    // The same chooser with "Try the demo company" beside it: *demo is true
    // (and nothing is chosen) when the user took the demo.
    virtual QString chooseFolderOrDemo(const QString &question, const QString &start, bool *demo)
    {
        *demo = false;
        return chooseFolder(question, start);
    }
};

// Installs the implementation for the rest of the run (not owned). Without one,
// a console implementation answers.
void InstallUserInterface(UserInterface *ui);
UserInterface &CurrentUserInterface();

int ShowMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                bool defaultNegative);
StdResult StandardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons = StdButtons::Ok,
                          StdResult defaultButton = StdResult::Ok);
void ShowPleaseWait();
void HidePleaseWait();
void DoEvents();

// The please-wait indicator, shown for as long as this lives.
class PleaseWaitShown
{
public:
    PleaseWaitShown() { ShowPleaseWait(); }
    ~PleaseWaitShown() { HidePleaseWait(); }
    PleaseWaitShown(const PleaseWaitShown &) = delete;
    PleaseWaitShown &operator=(const PleaseWaitShown &) = delete;
};

// What `work` gives, done with the please-wait indicator shown.
template <class Work> auto WhilePleaseWait(Work &&work)
{
    const PleaseWaitShown shown;
    return work();
}

// Command line: messages on standard error; questions take the box's default answer.
class ConsoleUserInterface : public UserInterface
{
public:
    int showMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                    bool defaultNegative) override;
    StdResult standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                              StdResult defaultButton) override;
    void showPleaseWait() override {}
    void hidePleaseWait() override {}
    void processEvents() override {}
};
