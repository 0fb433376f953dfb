#include "frmQuarterSummary.h"

#include "SummaryChart.h"
#include "app/AppSettings.h"
#include "app/DateFormat.h"
#include "app/UserInterface.h"
#include "dates/DateText.h"
#include "ui/WindowKit.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QColor kFlagged(255, 214, 204);

// The flags in short: what was passed on beyond what came in.
QString exceeds(const SummaryEntry &e)
{
    QStringList what;
    for (const QString &flag : e.flags())
        what << flag.section(QLatin1Char('-'), 0, 0);
    return what.join(QStringLiteral(", "));
}

// The ten chapters with the most duty (received and passed on) in their
// order, the rest as one bar "other": more bars than that are a smear.
QList<ChapterDuty> ChartedChapters(const QList<ChapterDuty> &chapters)
{
    constexpr int kShown = 10;
    if (chapters.size() <= kShown + 1)
        return chapters;
    QList<const ChapterDuty *> ranked;
    for (const ChapterDuty &c : chapters)
        ranked << &c;
    std::stable_sort(ranked.begin(), ranked.end(), [](const ChapterDuty *a, const ChapterDuty *b) {
        return ((a->dutyIn + a->dutyOut) - (b->dutyIn + b->dutyOut)).sign() > 0;
    });
    ranked.resize(kShown);
    QList<ChapterDuty> shown;
    ChapterDuty other{QStringLiteral("other"), {}, {}};
    for (const ChapterDuty &c : chapters) {
        if (ranked.contains(&c)) {
            shown << c;
        } else {
            other.dutyIn = other.dutyIn + c.dutyIn;
            other.dutyOut = other.dutyOut + c.dutyOut;
        }
    }
    shown << other;
    return shown;
}

// The CSV's fields, the flags in short.
QStringList cells(const SummaryEntry &e)
{
    QStringList values = SummaryFields(e);
    values.last() = exceeds(e);
    return values;
}
} // namespace

frmQuarterSummary::frmQuarterSummary(QWidget *parent)
    : QWidget(parent)
{
    SetUpReportWindow(this, QStringLiteral("frmQuarterSummary"),
                      QStringLiteral("Quarter Summary - %1, %2 to %3")
                          .arg(Settings().strCompName.trimmed(), Settings().strPeriodFrom, Settings().strPeriodTo),
                      15000, 10800);

    lblStatus = ReportStatusLabel(this);
    cmdRefresh = Named(new QPushButton(QStringLiteral("Re&fresh"), this), "cmdRefresh");
    cmdSaveCsv = Named(new QPushButton(QStringLiteral("&Save as CSV…"), this), "cmdSaveCsv");

    grdSummary = Named(new QTableWidget(this), "grdSummary");
    SetUpReportGrid(grdSummary, SummaryColumns(SummaryColumnTitle::Window));
    grdSummary->verticalHeader()->setDefaultSectionSize(grdSummary->fontMetrics().height() + 6);

    lblTotals = Named(new QLabel(this), "lblTotals");
    lblTotals->setTextFormat(Qt::PlainText);
    lblTotals->setWordWrap(true);

    chtDuty = Named(new SummaryChart(this), "chtDuty");
    chtDuty->setMinimumHeight(TwipsRect(0, 0, 100, 3000).height());

    auto *top = new QHBoxLayout;
    top->addWidget(lblStatus, 1);
    top->addWidget(cmdRefresh, 0, Qt::AlignTop);
    top->addWidget(cmdSaveCsv, 0, Qt::AlignTop);
    auto *split = new QSplitter(Qt::Vertical, this);
    auto *upper = new QWidget(split);
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(grdSummary, 1);
    upperLayout->addWidget(lblTotals);
    split->addWidget(upper);
    split->addWidget(chtDuty);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);

    connect(cmdRefresh, &QPushButton::clicked, this, &frmQuarterSummary::Refresh);
    connect(cmdSaveCsv, &QPushButton::clicked, this, &frmQuarterSummary::chooseCsvFile);
    Refresh();
}

void frmQuarterSummary::Refresh()
{
    {
        const PleaseWaitShown wait; // with how far, and Cancel, while the tables are read
        m_summary = SummariseQuarter();
    }
    fill();
}

void frmQuarterSummary::fill()
{
    const QuarterSummary &s = m_summary;
    grdSummary->clearContents();
    grdSummary->setRowCount(0);
    cmdSaveCsv->setEnabled(s.read);
    if (!s.read) {
        lblStatus->setText(s.reason);
        lblTotals->clear();
        chtDuty->setChapters({});
        return;
    }
    int flagged = 0;
    QList<SummaryEntry> rows = s.entries;
    rows.append(s.total);
    for (const SummaryEntry &e : rows) {
        const int row = grdSummary->rowCount();
        const bool isTotal = row == s.entries.size();
        const bool marked = !e.flags().isEmpty();
        flagged += marked && !isTotal;
        grdSummary->insertRow(row);
        const QStringList values = cells(e);
        for (int column = 0; column < values.size(); ++column) {
            const bool amount = column >= 2 && column <= 8;
            auto *item = new QTableWidgetItem(amount ? LocaleAmount(values[column]) : values[column]);
            if (amount)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (marked)
                item->setBackground(kFlagged);
            if (isTotal) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            grdSummary->setItem(row, column, item);
        }
    }
    grdSummary->resizeColumnsToContents();

    QString status = s.entries.isEmpty()
                         ? QStringLiteral("The work tables hold no rows the return can carry.")
                         : QStringLiteral("%1 tariff numbers, %2 flagged: more passed on than received.")
                               .arg(s.entries.size())
                               .arg(flagged);
    if (const QString leftOut = LeftOutText(s); !leftOut.isEmpty())
        status += QLatin1Char(' ') + leftOut;
    lblStatus->setText(status);
    lblTotals->setText(QStringLiteral("Duty received %1, passed on %2, difference %3.")
                           .arg(LocaleAmount(s.total.dutyIn.toText(2)), LocaleAmount(s.total.dutyOut.toText(2)),
                                LocaleAmount(s.total.dutyDifference().toText(2))));

    chtDuty->setChapters(ChartedChapters(DutyByChapter(s.entries)));
}

bool frmQuarterSummary::saveCsv(const QString &path)
{
    QSaveFile file(path);
    const QByteArray csv = FormatSummary(m_summary.entries, m_summary.total, SummaryFormat::Csv).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        ShowMessage(QStringLiteral("Could not save %1: %2").arg(path, file.errorString()), kAppTitle,
                    MsgBoxType::Critical, MsgButtons::Ok, true);
        return false;
    }
    return true;
}

QString frmQuarterSummary::suggestedCsvPath() const
{
    // Dates as yyyymmdd: a "/" of a date would make the name a path.
    const auto stamp = [](const QString &date) {
        QDate d = QLocale::c().toDate(date, ShortDateFormat());
        if (!d.isValid())
            d = DateFromText(date);
        return d.isValid() ? d.toString(QStringLiteral("yyyyMMdd")) : QString(date).remove(QRegularExpression("\\W"));
    };
    const QString company = QString(Settings().strCompCode).remove(QRegularExpression("\\W"));
    const QString suggested = AppFolder()
                              + QStringLiteral("/Summary_%1_%2-%3.csv")
                                    .arg(company, stamp(Settings().strPeriodFrom), stamp(Settings().strPeriodTo));
    return suggested;
}

void frmQuarterSummary::chooseCsvFile()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save as CSV"), suggestedCsvPath(),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        saveCsv(path);
}
