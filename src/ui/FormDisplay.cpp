#include "FormDisplay.h"

#include "app/ErrorLog.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QVariant>

#include <algorithm>

namespace {
QPointer<QMdiArea> g_clientArea;
const char *const kTagProperty = "Tag";

// The widget that is moved and sized for a form: its sub-window when it has one.
QWidget *placedWidget(QWidget *form)
{
    if (QMdiSubWindow *sub = HostSubWindow(form))
        return sub;
    return form;
}

// The client area on the screen, in pixels; the screen when there is no main window.
QRect clientGlobalRect(const QWidget *area)
{
    if (area)
        return QRect(area->mapToGlobal(QPoint(0, 0)), area->size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return QRect();
}

EdgeRect edges(const QRect &r)
{
    return EdgeRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The client area in pixels, in the coordinates `placed` is positioned in:
// screen coordinates for a top-level window, its parent's for a child.
EdgeRect clientRectFor(const QWidget *placed, const QWidget *area)
{
    const QRect global = clientGlobalRect(area);
    QPoint origin = global.topLeft();
    if (!placed->isWindow() && placed->parentWidget())
        origin = placed->parentWidget()->mapFromGlobal(origin);
    return EdgeRect{origin.x(), origin.y(), origin.x() + global.width(), origin.y() + global.height()};
}

QSize outerSize(const QWidget *placed)
{
    if (placed->isWindow() && placed->isVisible())
        return placed->frameGeometry().size();
    return placed->size();
}

void moveTwips(QWidget *placed, const TwipPoint &p)
{
    placed->move(TwipsToPixelsX(p.left), TwipsToPixelsY(p.top));
}

// Runs until a non-dialog window is hidden or destroyed.
class ModalLoop : public QObject
{
public:
    explicit ModalLoop(QWidget *w)
        : m_widget(w)
    {
        w->installEventFilter(this);
        connect(w, &QObject::destroyed, &m_loop, &QEventLoop::quit);
    }
    void run()
    {
        if (m_widget && m_widget->isVisible())
            m_loop.exec(QEventLoop::DialogExec);
        if (m_widget)
            m_widget->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && (event->type() == QEvent::Hide || event->type() == QEvent::Close))
            m_loop.quit();
        return false;
    }

private:
    QPointer<QWidget> m_widget;
    QEventLoop m_loop;
};
} // namespace

QString WidgetTag(const QObject *object)
{
    return object ? object->property(kTagProperty).toString() : QString();
}

void SetWidgetTag(QObject *object, const QString &tag)
{
    if (object)
        object->setProperty(kTagProperty, tag);
}

void SetClientArea(QMdiArea *area)
{
    g_clientArea = area;
}

QMdiArea *ClientArea()
{
    return g_clientArea.data();
}

QWidget *ClientAreaWidget()
{
    return g_clientArea ? g_clientArea->viewport() : nullptr;
}

void RectToTwips(EdgeRect &rect)
{
    RectToTwips(rect, TwipsPerPixelX(), TwipsPerPixelY());
}

QMdiSubWindow *HostSubWindow(QWidget *form)
{
    return form ? qobject_cast<QMdiSubWindow *>(form->parentWidget()) : nullptr;
}

bool IsFixedSizeForm(const QWidget *form)
{
    return form->minimumSize() == form->maximumSize();
}

void DisplayForm(QWidget *form, FormMode mode, FormPosition position, QWidget **client)
{
    if (!form) {
        LogError(91, QStringLiteral("Object variable or With block variable not set"), QString(), QString(), true);
        return;
    }
    QWidget *area = (client && *client) ? *client : ClientAreaWidget();
    if (client && !*client)
        *client = area;

    QWidget *placed = placedWidget(form);
    placed->ensurePolished();
    if (!placed->testAttribute(Qt::WA_Resized) && placed->layout())
        placed->adjustSize();
    const auto place = [&] {
        EdgeRect c = clientRectFor(placed, area);
        RectToTwips(c);
        const QSize s = outerSize(placed);
        moveTwips(placed,
                  DisplayFormPosition(mode, position, c, PixelsToTwipsX(s.width()), PixelsToTwipsY(s.height())));
    };

    if (mode == FormMode::Modal) {
        place();
        if (auto *dialog = qobject_cast<QDialog *>(form)) {
            dialog->exec();
        } else {
            placed->setWindowModality(Qt::ApplicationModal);
            placed->show();
            ModalLoop(placed).run();
        }
        return;
    }
    placed->show();
    placed->raise();
    placed->setWindowState(placed->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    place();
}

namespace {
// Where the window goes and how much it grows, in twips, from its size now
// and the client area's.
ArrangeResult arrangedGeometry(QWidget *form, QWidget *placed, bool child, ArrangeInput *in)
{
    const QRect global = clientGlobalRect(ClientAreaWidget());
    in->clientWidthPx = global.width();
    in->clientHeightPx = global.height();
    // Screen coordinates: a top-level window is placed in them; a child
    // window only uses the size.
    in->client = edges(global);
    RectToTwips(in->client);
    const QSize outer = outerSize(placed);
    in->width = PixelsToTwipsX(outer.width());
    in->height = PixelsToTwipsY(outer.height());
    in->fontSize = form->font().pointSizeF();
    in->sizable = !IsFixedSizeForm(form);
    in->child = child;
    ArrangeResult r = ArrangeGeometry(*in);
    // A window of fixed design is never made smaller than it: its anchored
    // controls would run into each other. The working area scrolls instead.
    if (!in->sizable && (r.dw < 0 || r.dh < 0)) {
        r.width = std::max(r.width, in->width);
        r.height = std::max(r.height, in->height);
        r.dw = std::max(r.dw, 0);
        r.dh = std::max(r.dh, 0);
        r.left = std::max(0.0, r.left);
        r.top = std::max(0.0, r.top);
        r.fontSize = std::max(r.fontSize, in->fontSize);
    }
    return r;
}

// A window of fixed design takes the new size as its fixed size, and its
// font grows with it.
void fixDesignSize(QWidget *form, QWidget *placed, const QRect &target, double fontSize, double newFontSize)
{
    const QSize frame = outerSize(placed) - form->size();
    form->setFixedSize((target.size() - frame).expandedTo(QSize(0, 0)));
    if (fontSize > 0 && newFontSize > 0) {
        // Only the window's own font grows: its controls keep the
        // fonts they were laid out with, so no caption is cut short.
        for (QWidget *control : form->findChildren<QWidget *>())
            control->setFont(control->font());
        QFont f = form->font();
        f.setPointSizeF(newFontSize);
        form->setFont(f);
    }
}

// A window that may be resized is made to fit the working area, with a
// little of the area around it, so its buttons are never out of reach.
void fitInArea(QWidget *placed, QMdiArea *mdi)
{
    const QSize room = mdi->viewport()->size() - QSize(4, 4);
    QRect g = placed->geometry();
    g.setSize(g.size().boundedTo(room).expandedTo(placed->minimumSize()));
    g.moveLeft(std::clamp(g.x(), 0, std::max(0, room.width() - g.width())));
    g.moveTop(std::clamp(g.y(), 0, std::max(0, room.height() - g.height())));
    placed->setGeometry(g);
}

// Anchored controls follow the window's change of size; a control that
// refuses a size simply keeps what it can.
void moveAnchoredControls(QWidget *form, int dw, int dh)
{
    for (QWidget *control : form->findChildren<QWidget *>()) {
        const Anchor anchor = AnchorFromTag(WidgetTag(control));
        if (anchor == Anchor::None)
            continue;
        const QRect g = control->geometry();
        const ControlBox box{PixelsToTwipsX(g.x()), PixelsToTwipsY(g.y()), PixelsToTwipsX(g.width()),
                             PixelsToTwipsY(g.height())};
        const ControlBox moved = ApplyAnchor(anchor, box, dw, dh);
        control->setGeometry(TwipsRect(moved.left, moved.top, std::max(0.0, moved.width), std::max(0.0, moved.height)));
    }
}
} // namespace

void ArrangeForm(QWidget *form)
{
    if (!form)
        return;
    QMdiArea *mdi = ClientArea();
    const bool child = mdi && !qobject_cast<QDialog *>(form);
    QMdiSubWindow *sub = HostSubWindow(form);
    if (child && !sub) {
        sub = mdi->addSubWindow(form);
        // The sub-window's frame around the form's own size.
        const QMargins m = sub->contentsMargins();
        sub->resize(form->size().grownBy(m));
    }
    QWidget *placed = sub ? static_cast<QWidget *>(sub) : form;

    if (!IsArranged(WidgetTag(form))) {
        ArrangeInput in;
        const ArrangeResult r = arrangedGeometry(form, placed, child, &in);
        const QRect target = TwipsRect(r.left, r.top, r.width, r.height);
        if (!in.sizable)
            fixDesignSize(form, placed, target, in.fontSize, r.fontSize);
        placed->setGeometry(target);
        if (sub && in.sizable && mdi)
            fitInArea(placed, mdi);
        moveAnchoredControls(form, r.dw, r.dh);
        SetWidgetTag(form, WidgetTag(form) + kArrangedMarker);
    }

    if (!placed->isVisible()) {
        form->show();
        placed->show();
    } else {
        placed->raise();
    }
    if (sub && mdi)
        mdi->setActiveSubWindow(sub);
}
