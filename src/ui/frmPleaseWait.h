#pragma once

#include <QFrame>

class QLabel;

// The static "Please Wait ...." indicator shown over the main window's client
// area while a long operation runs. One shared window; no nesting count.
class frmPleaseWait : public QFrame
{
    Q_OBJECT
public:
    explicit frmPleaseWait(QWidget *parent = nullptr);

    // The shared window, created on first use inside the main window's
    // client area (a frameless top-level window when there is none).
    static frmPleaseWait *shared();
    // Whether the shared window exists and is shown; never creates it.
    static bool isShown();

    QFrame *Shape1;
    QLabel *lblPleaseWait;
};

// Shows (or brings forward and places again) the indicator and lets it paint.
void ShowPleaseWaitWindow();
// Removes the indicator if it is shown, then lets the area repaint.
void HidePleaseWaitWindow();
