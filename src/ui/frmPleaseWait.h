#pragma once

#include <QElapsedTimer>
#include <QFrame>

class QLabel;
class QProgressBar;
class QPushButton;
struct ProgressState;

// The "Please Wait ...." indicator shown over the main window's client area
// while a long operation runs. One shared window; no nesting count. A run that
// lasts longer than kPlainMs also shows what is being done, how far, and a
// Cancel button (Esc presses it); a shorter one leaves the indicator as it was.
class frmPleaseWait : public QFrame
{
    Q_OBJECT
public:
    static constexpr qint64 kPlainMs = 500;

    explicit frmPleaseWait(QWidget *parent = nullptr);

    // The shared window, created on first use inside the main window's
    // client area (a frameless top-level window when there is none).
    static frmPleaseWait *shared();
    // Whether the shared window exists and is shown; never creates it.
    static bool isShown();

    // How far the run is; the first call after kPlainMs of showing grows the
    // indicator by the progress lines and the Cancel button.
    void setProgress(const ProgressState &state);
    // Back to the plain indicator (when it is removed).
    void setPlain();
    bool showsProgress() const { return m_progress; }
    // Since the indicator was last shown.
    qint64 shownForMs() const { return m_shown.isValid() ? m_shown.elapsed() : 0; }
    void markShown() { m_shown.start(); }

    QFrame *Shape1;
    QLabel *lblPleaseWait;
    QLabel *lblProgress; // "Invoice lines: 1,234 of 200,000 (1%)"
    QProgressBar *barProgress;
    QPushButton *cmdCancel;

private:
    bool m_progress = false;
    QElapsedTimer m_shown;
};

// Shows (or brings forward and places again) the indicator and lets it paint.
void ShowPleaseWaitWindow();
// Removes the indicator if it is shown, then lets the area repaint.
void HidePleaseWaitWindow();
