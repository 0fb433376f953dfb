#pragma once

#include "QuarterSummary.h"

#include <QWidget>

class QLabel;
class SummaryChart;
class QPushButton;
class QTableWidget;

// The quarter by tariff number before filing: what came in and went out, the
// duty on each side and where they do not match (flagged rows marked), the
// totals, and a chart of duty received and passed on per chapter.
class frmQuarterSummary : public QWidget
{
    Q_OBJECT
public:
    explicit frmQuarterSummary(QWidget *parent = nullptr);

    // Reads the work tables again and fills the table and chart.
    void Refresh();
    // Writes the figures shown as CSV to `path`; false after saying why.
    bool saveCsv(const QString &path);
    // What Save as CSV offers: Summary_<company>_<yyyymmdd>-<yyyymmdd>.csv in the application folder.
    QString suggestedCsvPath() const;

    QLabel *lblStatus;
    QPushButton *cmdRefresh;
    QPushButton *cmdSaveCsv;
    QTableWidget *grdSummary;
    QLabel *lblTotals;
    SummaryChart *chtDuty;

private:
    void fill();
    void chooseCsvFile();

    QuarterSummary m_summary;
};
