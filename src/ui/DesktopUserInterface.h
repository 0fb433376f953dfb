#pragma once

#include "app/UserInterface.h"

// The desktop program's side of the seam: real windows.
class DesktopUserInterface : public UserInterface
{
public:
    int showMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                    bool defaultNegative) override;
    StdResult standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                              StdResult defaultButton) override;
    void showPleaseWait() override;
    void hidePleaseWait() override;
    void processEvents() override;
    // Lets the windows repaint and the clock tick; of the user's input only
    // the indicator's Cancel and Esc get through while the work runs.
    void showProgress(const ProgressState &state) override;
    void restoreCursor() override;
    QString chooseFolder(const QString &question, const QString &start) override;
    QString chooseFolderOrDemo(const QString &question, const QString &start, bool *demo) override;
};
