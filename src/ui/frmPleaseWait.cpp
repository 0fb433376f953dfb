#include "frmPleaseWait.h"

#include "app/Progress.h"
#include "ui/FormDisplay.h"
#include "ui/WindowKit.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace {
QPointer<frmPleaseWait> g_window;

// Heights in twips of the plain indicator and of the one showing progress.
constexpr double kPlainHeight = 1230;
constexpr double kProgressHeight = 2250;

} // namespace

frmPleaseWait::frmPleaseWait(QWidget *parent)
    : QFrame(parent, parent ? Qt::Widget : (Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint))
{
    setObjectName(QStringLiteral("frmPleaseWait"));
    setFixedSize(TwipsRect(0, 0, 4305, kPlainHeight).size());
    setFrameShape(QFrame::NoFrame);
    PaintBackground(this, Qt::white);

    Shape1 = PlaceTwips<QFrame>(this, "Shape1", 30, 30, 4230, 1110);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Plain);

    lblPleaseWait = PlaceTwips<QLabel>(this, "lblPleaseWait", 60, 360, 4170, 390);
    lblPleaseWait->setText(QStringLiteral("Please Wait ...."));
    lblPleaseWait->setAlignment(Qt::AlignCenter);
    lblPleaseWait->setFont(ArialFont(14.25, true));
    PaintBackground(lblPleaseWait, QColor(255, 224, 192), Qt::black);

    lblProgress = PlaceTwips<QLabel>(this, "lblProgress", 180, 930, 3945, 270);
    lblProgress->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblProgress->setTextFormat(Qt::PlainText);
    lblProgress->setFont(ArialFont(9, false));
    barProgress = PlaceTwips<QProgressBar>(this, "barProgress", 180, 1260, 3945, 240);
    barProgress->setTextVisible(false);
    cmdCancel = PlaceTwips<QPushButton>(this, "cmdCancel", 1552, 1650, 1200, 375);
    cmdCancel->setText(QStringLiteral("Cancel"));
    cmdCancel->setFocusPolicy(Qt::NoFocus); // the work's window keeps the focus; Esc presses it from anywhere
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        RequestCancel();
        cmdCancel->setEnabled(false);
    });
    setPlain();
}

void frmPleaseWait::setPlain()
{
    m_progress = false;
    for (QWidget *w :
         {static_cast<QWidget *>(lblProgress), static_cast<QWidget *>(barProgress), static_cast<QWidget *>(cmdCancel)})
        w->hide();
    cmdCancel->setEnabled(true);
    setFixedSize(TwipsRect(0, 0, 4305, kPlainHeight).size());
    Shape1->setGeometry(TwipsRect(30, 30, 4230, 1110));
}

void frmPleaseWait::setProgress(const ProgressState &state)
{
    if (!m_progress) {
        if (shownForMs() < kPlainMs)
            return;
        m_progress = true;
        // Grows downwards: where it stood and what it said stay.
        setFixedSize(TwipsRect(0, 0, 4305, kProgressHeight).size());
        Shape1->setGeometry(TwipsRect(30, 30, 4230, kProgressHeight - 120));
        for (QWidget *w : {static_cast<QWidget *>(lblProgress), static_cast<QWidget *>(barProgress),
                           static_cast<QWidget *>(cmdCancel)})
            w->show();
    }
    lblProgress->setText(CancelRequested() ? QStringLiteral("Cancelling ...") : ProgressText(state));
    if (state.total < 0) {
        barProgress->setRange(0, 0); // moving
    } else {
        // The bar's range is an int: large totals are scaled down.
        const qint64 scale = state.total / 1000000 + 1;
        barProgress->setRange(0, int(state.total / scale));
        barProgress->setValue(int(qMin(state.done, state.total) / scale));
    }
}

frmPleaseWait *frmPleaseWait::shared()
{
    QWidget *area = ClientAreaWidget();
    // A window left from an earlier main window (or from none) is replaced.
    if (g_window && g_window->parentWidget() != area) {
        delete g_window.data();
    }
    if (!g_window) {
        g_window = new frmPleaseWait(area);
        g_window->hide();
    }
    return g_window;
}

bool frmPleaseWait::isShown()
{
    return g_window && g_window->isVisible();
}

void ShowPleaseWaitWindow()
{
    frmPleaseWait *w = frmPleaseWait::shared();
    if (!w->isVisible())
        w->markShown();
    DisplayForm(w, FormMode::Modeless, FormPosition::Centre);
    w->raise();
    QApplication::processEvents();
}

void HidePleaseWaitWindow()
{
    frmPleaseWait *w = frmPleaseWait::shared();
    w->hide();
    w->setPlain();
    QApplication::processEvents();
}
