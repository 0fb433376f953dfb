#include "SummaryChart.h"

#include <QLocale>
#include <QPainter>

#include <cmath>

namespace {
const QColor kReceived(0x20, 0x9f, 0xdf);
const QColor kPassedOn(0x99, 0xca, 0x53);
constexpr int kTicks = 5;

double amount(const Decimal &d)
{
    return d.toText(2).toDouble();
}
} // namespace

SummaryChart::SummaryChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SummaryChart::setChapters(const QList<ChapterDuty> &chapters)
{
    m_chapters = chapters;
    update();
}

double SummaryChart::NiceTop(double largest)
{
    if (!(largest > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(largest)));
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (step * power >= largest)
            return step * power;
    return 10 * power;
}

void SummaryChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(0, 4, width(), line), Qt::AlignHCenter, QStringLiteral("Duty per chapter"));
    p.setFont(font());

    double largest = 0;
    for (const ChapterDuty &c : m_chapters)
        largest = qMax(largest, qMax(amount(c.dutyIn), amount(c.dutyOut)));
    const double top = NiceTop(largest);
    const QLocale locale;
    int labelWidth = 0;
    for (int i = 0; i <= kTicks; ++i)
        labelWidth = qMax(labelWidth, fm.horizontalAdvance(locale.toString(top * i / kTicks, 'f', 0)));

    // Title above; chapter labels and the legend below.
    const QRect plot(labelWidth + 12, line + 12, width() - labelWidth - 24, height() - 4 * line - 24);
    if (plot.width() < 10 || plot.height() < 10)
        return;
    p.setPen(palette().color(QPalette::Mid));
    for (int i = 0; i <= kTicks; ++i) {
        const int y = plot.bottom() - plot.height() * i / kTicks;
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(0, y - line / 2, labelWidth + 6, line), Qt::AlignRight | Qt::AlignVCenter,
                   locale.toString(top * i / kTicks, 'f', 0));
        p.setPen(palette().color(QPalette::Mid));
    }

    const int count = int(m_chapters.size());
    const double slot = count ? double(plot.width()) / count : 0;
    const double bar = slot * 0.35;
    for (int i = 0; i < count; ++i) {
        const ChapterDuty &c = m_chapters[i];
        const double left = plot.left() + i * slot + slot * 0.15;
        const double in = amount(c.dutyIn) / top * plot.height();
        const double out = amount(c.dutyOut) / top * plot.height();
        p.fillRect(QRectF(left, plot.bottom() - in, bar, in), kReceived);
        p.fillRect(QRectF(left + bar, plot.bottom() - out, bar, out), kPassedOn);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(plot.left() + i * slot, plot.bottom() + 4, slot, line), Qt::AlignHCenter, c.chapter);
    }

    // The legend.
    const QString names[] = {QStringLiteral("Duty received"), QStringLiteral("Duty passed on")};
    const QColor colours[] = {kReceived, kPassedOn};
    int x = (width() - fm.horizontalAdvance(names[0] + names[1]) - 4 * line) / 2;
    const int y = plot.bottom() + 2 * line;
    for (int i = 0; i < 2; ++i) {
        p.fillRect(QRect(x, y + 2, line - 4, line - 4), colours[i]);
        x += line;
        p.drawText(QPoint(x, y + fm.ascent()), names[i]);
        x += fm.horizontalAdvance(names[i]) + line;
    }
}
