#include "frmReturns.h"

#include "ExcelExport.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "returns/ExportCommand.h"
#include "ui/WindowKit.h"

#include <QDesktopServices>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QStringList kColumns{
    QStringLiteral("Written"), QStringLiteral("Year"),  QStringLiteral("Quarter"), QStringLiteral("Registration No."),
    QStringLiteral("Size"),    QStringLiteral("State"), QStringLiteral("File"),    QStringLiteral("Reason")};
const QColor kNotValid(255, 214, 204);

void fillGrid(QTableWidget *grid, const QList<PastReturn> &returns)
{
    grid->clearContents();
    grid->setRowCount(int(returns.size()));
    for (int row = 0; row < returns.size(); ++row) {
        const PastReturn &r = returns[row];
        const QStringList values{r.written.toString(QStringLiteral("dd/MM/yyyy hh:mm")),
                                 r.year,
                                 r.quarter,
                                 r.registration,
                                 QLocale().formattedDataSize(r.size),
                                 ReturnStateName(r.state),
                                 r.fileName,
                                 QString(r.reason).replace(QLatin1Char('\n'), QLatin1Char(' '))};
        for (int column = 0; column < values.size(); ++column) {
            auto *item = new QTableWidgetItem(values[column]);
            if (column == 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r.state != ReturnState::Valid)
                item->setBackground(kNotValid);
            grid->setItem(row, column, item);
        }
    }
    grid->resizeColumnsToContents();
}

void tell(const QString &text, MsgBoxType icon)
{
    ShowMessage(text, kAppTitle, icon, MsgButtons::Ok, true);
}
} // namespace

frmReturns::frmReturns(QWidget *parent)
    : QWidget(parent)
{
    SetUpReportWindow(this, QStringLiteral("frmReturns"), QStringLiteral("Returns"), 15000, 9000);

    lblStatus = ReportStatusLabel(this);
    const auto button = [this](const char *name, const QString &caption) {
        return Named(new QPushButton(caption, this), name);
    };
    cmdRefresh = button("cmdRefresh", QStringLiteral("&Refresh"));
    cmdOpenFolder = button("cmdOpenFolder", QStringLiteral("Open &Folder"));
    cmdValidate = button("cmdValidate", QStringLiteral("&Validate Again"));
    cmdWorkbook = button("cmdWorkbook", QStringLiteral("Write &Workbook"));
    cmdCompare = button("cmdCompare", QStringLiteral("&Compare…"));
    grdReturns = Named(new QTableWidget(this), "grdReturns");
    SetUpReportGrid(grdReturns, kColumns);
    // Two rows chosen together are compared with each other.
    grdReturns->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblRejected = Named(new QLabel(QStringLiteral("Rejected (kept by the export, not returns):"), this), "lblRejected");
    grdRejected = Named(new QTableWidget(this), "grdRejected");
    SetUpReportGrid(grdRejected, kColumns);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdRefresh, cmdOpenFolder, cmdValidate, cmdWorkbook, cmdCompare})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    layout->addWidget(grdReturns, 3);
    layout->addWidget(lblRejected);
    layout->addWidget(grdRejected, 1);

    connect(cmdRefresh, &QPushButton::clicked, this, &frmReturns::Refresh);
    connect(cmdOpenFolder, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_list.folder)); });
    connect(cmdValidate, &QPushButton::clicked, this, &frmReturns::validateAgain);
    connect(cmdWorkbook, &QPushButton::clicked, this, &frmReturns::writeWorkbook);
    connect(cmdCompare, &QPushButton::clicked, this, &frmReturns::compare);
    Refresh();
}

void frmReturns::Refresh()
{
    ClearCancel();
    m_list = WhilePleaseWait(
        [] { return ListPastReturns(CompanyReturnsFolder(Settings().strCompCode), ReturnSchemaPath()); });
    fill();
}

void frmReturns::fill()
{
    fillGrid(grdReturns, m_list.returns);
    fillGrid(grdRejected, m_list.rejected);
    lblRejected->setVisible(!m_list.rejected.isEmpty());
    grdRejected->setVisible(!m_list.rejected.isEmpty());
    cmdOpenFolder->setEnabled(m_list.found);
    for (QPushButton *b : {cmdValidate, cmdWorkbook, cmdCompare})
        b->setEnabled(!m_list.returns.isEmpty());
    const QString folder = QDir::toNativeSeparators(m_list.folder);
    if (!m_list.found)
        lblStatus->setText(QStringLiteral("No returns yet: the folder %1 does not exist.").arg(folder));
    else if (m_list.cancelled)
        lblStatus->setText(QStringLiteral("Stopped: the list is not complete."));
    else {
        const auto valid = std::count_if(m_list.returns.begin(), m_list.returns.end(),
                                         [](const PastReturn &r) { return r.state == ReturnState::Valid; });
        lblStatus->setText(QStringLiteral("%1 returns in %2, %3 valid against the schema today.")
                               .arg(m_list.returns.size())
                               .arg(folder)
                               .arg(valid));
    }
    if (!m_list.returns.isEmpty())
        grdReturns->selectRow(0);
}

QList<int> frmReturns::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : grdReturns->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void frmReturns::validateAgain()
{
    for (const int row : selectedRows())
        m_list.returns[row] = ReadPastReturn(m_list.returns[row].path, ReturnSchemaPath());
    const QList<int> rows = selectedRows();
    fill();
    grdReturns->clearSelection();
    for (const int row : rows)
        grdReturns->selectionModel()->select(grdReturns->model()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (rows.size() != 1)
        return;
    const PastReturn &r = m_list.returns[rows.first()];
    if (r.state == ReturnState::Valid)
        tell(QStringLiteral("%1 is valid against the schema.").arg(r.fileName), MsgBoxType::Information);
    else
        tell(QStringLiteral("%1 is %2: %3").arg(r.fileName, ReturnStateName(r.state), r.reason), MsgBoxType::Critical);
}

void frmReturns::writeWorkbook()
{
    if (const QList<int> rows = selectedRows(); !rows.isEmpty())
        ExportReturnToExcel(m_list.returns[rows.first()].path);
}

void frmReturns::compare()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const PastReturn &chosen = m_list.returns[rows.first()];
    int other = rows.size() > 1 ? rows[1] : -1;
    if (other < 0) {
        QStringList names;
        QList<int> candidates;
        for (int i = 0; i < m_list.returns.size(); ++i) {
            const PastReturn &r = m_list.returns[i];
            if (i != rows.first() && r.state != ReturnState::Damaged && r.year == chosen.year
                && r.quarter == chosen.quarter) {
                names << r.fileName;
                candidates << i;
            }
        }
        if (names.isEmpty()) {
            tell(QStringLiteral("No other return of %1 %2 to compare with.").arg(chosen.year, chosen.quarter),
                 MsgBoxType::Information);
            return;
        }
        bool ok = false;
        const QString name =
            QInputDialog::getItem(this, QStringLiteral("Compare"),
                                  QStringLiteral("Compare %1 with:").arg(chosen.fileName), names, 0, false, &ok);
        if (!ok)
            return;
        other = candidates[names.indexOf(name)];
    }
    // Newest first: the lower row is the earlier return, what changed since it is shown.
    const PastReturn &before = m_list.returns[std::max(rows.first(), other)];
    const PastReturn &after = m_list.returns[std::min(rows.first(), other)];
    const ReturnComparison comparison = CompareReturns(ReadReturnContent(before.path), ReadReturnContent(after.path));
    if (!comparison.problem.isEmpty()) {
        tell(comparison.problem, MsgBoxType::Critical);
        return;
    }
    if (!txtComparison) {
        txtComparison = Named(new QPlainTextEdit, "txtComparison");
        txtComparison->setAttribute(Qt::WA_DeleteOnClose);
        txtComparison->setReadOnly(true);
        txtComparison->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        txtComparison->resize(TwipsRect(0, 0, 12000, 6000).size());
        connect(this, &QObject::destroyed, txtComparison, &QWidget::close);
        connect(txtComparison, &QObject::destroyed, this, [this] { txtComparison = nullptr; });
    }
    txtComparison->setWindowTitle(QStringLiteral("%1 → %2").arg(before.fileName, after.fileName));
    txtComparison->setPlainText(FormatComparison(comparison, ListFormat::Text));
    txtComparison->show();
    txtComparison->raise();
}
