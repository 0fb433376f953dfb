#include "frmPleaseWait.h"

#include "ui/FormDisplay.h"
#include "ui/WindowKit.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>

namespace {
QPointer<frmPleaseWait> g_window;
}

frmPleaseWait::frmPleaseWait(QWidget *parent)
    : QFrame(parent, parent ? Qt::Widget : (Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint))
{
    setObjectName(QStringLiteral("frmPleaseWait"));
    setFixedSize(TwipsRect(0, 0, 4305, 1230).size());
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
    DisplayForm(w, 0, 4);
    w->raise();
    QApplication::processEvents();
}

void HidePleaseWaitWindow()
{
    frmPleaseWait::shared()->hide();
    QApplication::processEvents();
}
