#pragma once

#include "QuarterSummary.h"

#include <QWidget>

// Duty received and passed on per chapter as pairs of bars, drawn with
// QPainter. The bars only draw: they may round what the table shows exactly.
class SummaryChart : public QWidget
{
    Q_OBJECT
public:
    explicit SummaryChart(QWidget *parent = nullptr);

    void setChapters(const QList<ChapterDuty> &chapters);
    const QList<ChapterDuty> &chapters() const { return m_chapters; }

    // The top of the value axis: 1, 2, 2.5 or 5 times a power of ten, at least `largest`.
    static double NiceTop(double largest);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QList<ChapterDuty> m_chapters;
};
