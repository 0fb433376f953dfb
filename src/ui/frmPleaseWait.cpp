#include "frmPleaseWait.h"

#include "ui/GuiFormLayout.h"
#include "ui/GuiTwips.h"

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
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Plain);
    Shape1->setGeometry(TwipsRect(30, 30, 4230, 1110));

    lblPleaseWait = new QLabel(QStringLiteral("Please Wait ...."), this);
    lblPleaseWait->setObjectName(QStringLiteral("lblPleaseWait"));
    lblPleaseWait->setGeometry(TwipsRect(60, 360, 4170, 390));
    lblPleaseWait->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(14.25);
    font.setBold(true);
    lblPleaseWait->setFont(font);
    QPalette lp = lblPleaseWait->palette();
    lp.setColor(QPalette::Window, QColor(255, 224, 192));
    lp.setColor(QPalette::WindowText, Qt::black);
    lblPleaseWait->setPalette(lp);
    lblPleaseWait->setAutoFillBackground(true);
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
