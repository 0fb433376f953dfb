#include "ucDate.h"

#include "DateText.h"
#include "app/Clock.h"
#include "app/Values.h"
#include "frmCalQV.h"
#include "ui/FormPlacement.h"
#include "ui/KeyboardNavigation.h"
#include "ui/LeaveGuard.h"
#include "ui/WindowKit.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QWindow>

namespace {

const QString kCalendarHint = QStringLiteral("Press F2 to view Calander");

// Design sizes in twips.
constexpr double kDesignWidth = 1770;
constexpr double kDesignHeight = 330;
constexpr double kButtonWidth = 285;

// A small desk calendar: a red band with two rings over a white page ruled in days.
QPixmap calendarPicture(const QSize &size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF page(1.5, 2.5, size.width() - 3.0, size.height() - 4.0);
    const qreal band = page.height() * 0.3;

    p.setPen(QPen(QColor(70, 70, 70), 1.0));
    p.setBrush(Qt::white);
    p.drawRoundedRect(page, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(page.left() + 0.5, page.top() + 0.5, page.width() - 1.0, band));

    p.setBrush(QColor(60, 60, 60));
    const qreal ringY = page.top() - 1.5;
    p.drawRoundedRect(QRectF(page.left() + page.width() * 0.25 - 0.75, ringY, 1.5, 3.5), 0.7, 0.7);
    p.drawRoundedRect(QRectF(page.left() + page.width() * 0.75 - 0.75, ringY, 1.5, 3.5), 0.7, 0.7);

    // Three rows of four day squares.
    const qreal top = page.top() + band + 1.5;
    const qreal cellW = (page.width() - 3.0) / 4.0;
    const qreal cellH = (page.bottom() - 1.5 - top) / 3.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const bool marked = r == 1 && c == 2;
            p.setBrush(marked ? QColor(200, 40, 40) : QColor(120, 120, 140));
            p.drawRect(QRectF(page.left() + 1.5 + c * cellW + cellW * 0.15, top + r * cellH + cellH * 0.15, cellW * 0.7,
                              cellH * 0.7));
        }
    }
    return pixmap;
}

} // namespace

ucDate::ucDate(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ucDate"));

    txtDate = Named(new QLineEdit(this), "txtDate");
    txtDate->setFont(ArialFont(9, true));
    txtDate->setMaxLength(10);
    txtDate->setToolTip(kCalendarHint);
    QPalette white = txtDate->palette();
    white.setColor(QPalette::Base, Qt::white);
    txtDate->setPalette(white);
    txtDate->installEventFilter(this);

    cmdCal = Named(new QToolButton(this), "cmdCal");
    cmdCal->setFocusPolicy(Qt::NoFocus); // Tab never stops on it, and a click leaves the focus where it is
    cmdCal->setAutoRaise(false);

    Line1 = Named(new QFrame(this), "Line1");
    Line1->setFrameShape(QFrame::NoFrame);
    PaintBackground(Line1, QColor(128, 128, 128));

    // The form sees this control as one field whose focus lives in the box.
    // Tab focus only: a click on the button must not pull the focus into the box.
    setFocusPolicy(Qt::TabFocus);
    setFocusProxy(txtDate);

    connect(cmdCal, &QToolButton::clicked, this, &ucDate::ShowCalendar);
    new LeaveGuard(
        txtDate, [this] { return leaveBox(); }, this,
        [this] {
            m_refused = true;
            markInvalid(true);
            txtDate->setToolTip(DateRefusalText(WithoutSlashes(txtDate->text()), Clock::today()) + QLatin1Char('\n')
                                + kCalendarHint);
        });
    // Once a date was refused, the frame follows the text until the box is left.
    connect(txtDate, &QLineEdit::textChanged, this, [this] {
        QString output;
        if (m_refused)
            markInvalid(!CompleteDateText(WithoutSlashes(txtDate->text()).trimmed(), output));
    });

    resize(sizeHint());
}

QSize ucDate::sizeHint() const
{
    return TwipsRect(0, 0, kDesignWidth, kDesignHeight).size();
}

QString ucDate::Text() const
{
    return txtDate->text();
}

void ucDate::setText(const QVariant &value)
{
    if (!value.isValid() || value.isNull() || value.toString().trimmed().isEmpty()) {
        txtDate->clear();
        return;
    }
    QDate date = ValueDate(value);
    if (date.isValid() && (date.year() < kFirstDateYear || date.year() > kLastDateYear))
        date = QDate();
    if (date.isValid())
        txtDate->setText(CanonicalDateText(date));
}

bool ucDate::Locked() const
{
    return txtDate->isReadOnly();
}

void ucDate::setLocked(bool locked)
{
    txtDate->setReadOnly(locked);
    // A locked date is only shown: Tab passes it by, and it looks read-only.
    setFocusPolicy(locked ? Qt::NoFocus : Qt::TabFocus);
    txtDate->setFocusPolicy(locked ? Qt::ClickFocus : Qt::StrongFocus);
    QPalette p = txtDate->palette();
    p.setColor(QPalette::Base, locked ? palette().color(QPalette::Window) : QColor(Qt::white));
    txtDate->setPalette(p);
}

void ucDate::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // In twips: the box takes all but the button and a 30-twip gap; the button
    // keeps its width and stands 15 twips past the control's right edge; the
    // line stands 10 twips right of the box.
    const double w = PixelsToTwipsX(width());
    const double h = PixelsToTwipsY(height());
    const double b = kButtonWidth;
    const double boxWidth = w - b - 15;
    txtDate->setGeometry(0, 0, TwipsToPixelsX(boxWidth), TwipsToPixelsY(h));
    cmdCal->setGeometry(TwipsToPixelsX(w - b + 15), 0, TwipsToPixelsX(b), TwipsToPixelsY(h));
    Line1->setGeometry(TwipsToPixelsX(boxWidth + 10), 0, 1, TwipsToPixelsY(h));

    const QSize picture(qMax(8, cmdCal->width() - 4), qMax(8, cmdCal->height() - 4));
    cmdCal->setIconSize(picture);
    cmdCal->setIcon(QIcon(calendarPicture(picture, devicePixelRatioF())));
}

bool ucDate::leaveBox()
{
    QString output;
    if (!CompleteDateText(WithoutSlashes(txtDate->text()).trimmed(), output))
        return false;
    m_refused = false;
    txtDate->setToolTip(kCalendarHint);
    if (txtDate->text() != output)
        txtDate->setText(output);
    markInvalid(false);
    return true;
}

void ucDate::markInvalid(bool invalid)
{
    if (invalid == m_invalid)
        return;
    m_invalid = invalid;
    txtDate->setProperty("Invalid", invalid);
    // Only the frame changes: the box keeps its white background and its font.
    txtDate->setStyleSheet(
        invalid ? QStringLiteral("QLineEdit { border: 2px solid rgb(210, 0, 0); background: white; }") : QString());
}

bool ucDate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != txtDate)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::FocusIn: {
        // Back from a pop-up or another window, digits being edited keep their selection.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        const QString digits = WithoutSlashes(txtDate->text());
        if (digits != txtDate->text() || (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)) {
            txtDate->setText(digits);
            txtDate->setSelection(0, int(digits.size()));
        }
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            leaveBox(); // an invalid text is kept; the guard brings the focus back
        break;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F2) {
            openCalendar(false);
            return true;
        }
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint()
            || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false; // Backspace, Enter, editing and clipboard keys pass
        const QChar ch = text.at(0);
        if (ch == QLatin1Char('/')) {
            padDayOrMonth();
            return true;
        }
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return true;
        if (txtDate->text().size() >= 8 && !txtDate->hasSelectedText())
            return true;
        return false;
    }
    default:
        break;
    }
    return false;
}

// "/" typed after one digit of the day or of the month: it had a leading zero
// ("1/7/14" is 01/07/2014); the slash itself is not kept.
void ucDate::padDayOrMonth()
{
    if (txtDate->hasSelectedText() || txtDate->cursorPosition() != txtDate->text().size())
        return;
    const QString digits = txtDate->text();
    if (digits.size() == 1)
        txtDate->setText(QLatin1Char('0') + digits);
    else if (digits.size() == 3)
        txtDate->setText(digits.left(2) + QLatin1Char('0') + digits.mid(2));
}

void ucDate::ShowCalendar()
{
    openCalendar(true);
}

void ucDate::openCalendar(bool fromButton)
{
    if (txtDate->isReadOnly())
        return;
    // F2 and the button start from the digits completed, as leaving the box
    // would have made them; from today when they are no date.
    Q_UNUSED(fromButton);
    QString initial = txtDate->text();
    QString completed;
    if (CompleteDateText(WithoutSlashes(initial).trimmed(), completed))
        initial = completed;
    if (!IsDateText(initial))
        initial = CanonicalDateText(Clock::today());

    frmCalQV *calendar = frmCalQV::instance();
    calendar->setSelDate(initial);
    PlaceFormBelow(txtDate, calendar, 0);
    // Kept above this window, which gets the focus back afterwards.
    calendar->winId();
    if (QWindow *own = window()->windowHandle())
        calendar->windowHandle()->setTransientParent(own);
    calendar->exec();
    calendar->windowHandle()->setTransientParent(nullptr);
    window()->activateWindow();

    if (!(IsDateText(calendar->SelDate()) && calendar->OkClicked()))
        return;
    txtDate->setText(CanonicalDateText(DateFromText(calendar->SelDate())));
    // On to the next field, as Tab pressed in the box would.
    txtDate->setFocus(Qt::OtherFocusReason);
    SendTabKey(txtDate, true);
}
