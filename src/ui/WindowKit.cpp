#include "WindowKit.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOption>
#include <QTableWidget>

QFont ArialFont(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void PaintBackground(QWidget *widget, const QColor &back, const QColor &text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, back);
    if (text.isValid())
        p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void PaintText(QWidget *widget, const QColor &text)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
}

namespace {
// Some styles frame a focused button only after a Tab in its window, so a
// fresh dialog or a clicked button shows no focus at all.
class FocusFrameStyle : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButton || !(option->state & State_HasFocus))
            return;
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(3, 3, -4, -4));
        painter->restore();
    }
};
} // namespace

void InstallFocusFrames()
{
    if (!dynamic_cast<FocusFrameStyle *>(QApplication::style()))
        QApplication::setStyle(new FocusFrameStyle);
}

void CloseWorkingWindow(QWidget *form)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        sub->close();
    else
        form->close();
}

void CloseOnEscape(QWidget *form, std::function<void()> close)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), form);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, form, std::move(close));
}

void ShowReadOnly(QLineEdit *box)
{
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    box->setPalette(p);
}

void SetUpFixedWindow(QWidget *form, const QString &name, const QString &title, double widthTwips, double heightTwips)
{
    form->setObjectName(name);
    form->setWindowTitle(title);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setProperty("Tag", QString());
    form->setFont(ArialFont(8.25));
    form->setFixedSize(TwipsRect(0, 0, widthTwips, heightTwips).size());
}

void SetUpReportWindow(QWidget *form, const QString &name, const QString &title, int widthTwips, int heightTwips)
{
    form->setObjectName(name);
    form->setWindowTitle(title);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->resize(TwipsRect(0, 0, widthTwips, heightTwips).size());
    PaintBackground(form, kFormPale, Qt::black);
    CloseOnEscape(form, [form] { CloseWorkingWindow(form); });
}

QLabel *ReportStatusLabel(QWidget *parent)
{
    auto *label = Named(new QLabel(parent), "lblStatus");
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

void SetUpReportGrid(QTableWidget *grid, const QStringList &titles)
{
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setColumnCount(int(titles.size()));
    grid->setHorizontalHeaderLabels(titles);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setWordWrap(false);
}

QString LocaleAmount(const QString &plain, const QLocale &locale)
{
    QString digits = plain;
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? digits : digits.left(point);
    const QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    for (const QChar c : whole + fraction)
        if (!c.isDigit())
            return plain; // not an amount: shown as it is
    if (!(locale.numberOptions() & QLocale::OmitGroupSeparator)) {
        // In India the groups above the thousands are of two digits (12,34,567).
        const int later = locale.territory() == QLocale::India ? 2 : 3;
        QString grouped;
        int size = 3;
        while (whole.size() > size) {
            grouped.prepend(locale.groupSeparator() + whole.right(size));
            whole.chop(size);
            size = later;
        }
        whole += grouped;
    }
    QString text = negative ? locale.negativeSign() + whole : whole;
    if (point >= 0)
        text += locale.decimalPoint() + fraction;
    return text;
}
