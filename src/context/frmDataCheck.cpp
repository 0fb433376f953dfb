#include "frmDataCheck.h"

#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "returns/DataCheck.h"
#include "ui/WindowKit.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// The quarter of an open return window, whose rows the check then also holds against it.
std::optional<ReturnQuarter> openReturnQuarter()
{
    MDIForm1 *main = MDIForm1::instance();
    QWidget *window = main ? main->workingWindow(QStringLiteral("mnuExporttoXML")) : nullptr;
    if (!window)
        return std::nullopt;
    const auto *year = window->findChild<QComboBox *>(QStringLiteral("CmbYear"));
    const auto *quarter = window->findChild<QComboBox *>(QStringLiteral("CmbMonth"));
    if (!year || !quarter)
        return std::nullopt;
    return ReturnQuarterOf(year->currentText(), quarter->currentText());
}

// The open return window's quarter in words ("Apr-Jun 2014"); empty without one.
QString openReturnQuarterText()
{
    MDIForm1 *main = MDIForm1::instance();
    QWidget *window = main ? main->workingWindow(QStringLiteral("mnuExporttoXML")) : nullptr;
    const auto *year = window ? window->findChild<QComboBox *>(QStringLiteral("CmbYear")) : nullptr;
    const auto *quarter = window ? window->findChild<QComboBox *>(QStringLiteral("CmbMonth")) : nullptr;
    return year && quarter ? quarter->currentText() + QLatin1Char(' ') + year->currentText() : QString();
}

const QStringList kColumns{QStringLiteral("SL-NO"), QStringLiteral("Number"), QStringLiteral("Column"),
                           QStringLiteral("Value"), QStringLiteral("Problem")};
} // namespace

frmDataCheck::frmDataCheck(QWidget *parent)
    : QWidget(parent)
{
    SetUpReportWindow(this, QStringLiteral("frmDataCheck"), QStringLiteral("Data Check"), 11900, 6900);

    lblStatus = ReportStatusLabel(this);
    cmdRefresh = Named(new QPushButton(QStringLiteral("Re&fresh"), this), "cmdRefresh");

    lblInvoiceLines = Named(new QLabel(QStringLiteral("Invoice lines :"), this), "lblInvoiceLines");
    flx = Named(new QTableWidget(this), "flx");
    lblSupplierDocuments = Named(new QLabel(QStringLiteral("Supplier documents :"), this), "lblSupplierDocuments");
    MSFlexGrid1 = Named(new QTableWidget(this), "MSFlexGrid1");
    // Warnings stand apart: their rows are written all the same.
    lblWarnings =
        Named(new QLabel(QStringLiteral("Warnings (the export writes these rows as shown) :"), this), "lblWarnings");
    grdWarnings = Named(new QTableWidget(this), "grdWarnings");
    for (QTableWidget *grid : {flx, MSFlexGrid1})
        SetUpReportGrid(grid, kColumns);
    SetUpReportGrid(grdWarnings, QStringList{QStringLiteral("Table")} + kColumns);
    lblInvoiceLines->setBuddy(flx);
    lblSupplierDocuments->setBuddy(MSFlexGrid1);
    lblWarnings->setBuddy(grdWarnings);

    auto *top = new QHBoxLayout;
    top->addWidget(lblStatus, 1);
    top->addWidget(cmdRefresh, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto *quarterNote = Named(new QLabel(this), "lblQuarter");
    quarterNote->setWordWrap(true);
    layout->addWidget(quarterNote);
    layout->addWidget(lblInvoiceLines);
    layout->addWidget(flx, 1);
    layout->addWidget(lblSupplierDocuments);
    layout->addWidget(MSFlexGrid1, 1);
    layout->addWidget(lblWarnings);
    layout->addWidget(grdWarnings, 1);

    connect(cmdRefresh, &QPushButton::clicked, this, &frmDataCheck::Refresh);
    Refresh();
}

void frmDataCheck::Refresh()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DataCheckResult result = WhilePleaseWait([this] { return CheckQuarterData(openReturnQuarter()); });
    QApplication::restoreOverrideCursor();
    fill(result);
    // Which quarter the dates were held against, beside the findings.
    const QString quarter = openReturnQuarter() ? openReturnQuarterText() : QString();
    findChild<QLabel *>(QStringLiteral("lblQuarter"))
        ->setText(quarter.isEmpty()
                      ? QStringLiteral("Dates not checked against a quarter: none is chosen (open "
                                       "Export To XML and choose its year and quarter).")
                      : QStringLiteral("Dates checked against %1, as chosen in the return window.").arg(quarter));
}

void frmDataCheck::fill(const DataCheckResult &result)
{
    lblStatus->setText(DataCheckSummary(result));
    for (QTableWidget *grid : {flx, MSFlexGrid1, grdWarnings}) {
        grid->clearContents();
        grid->setRowCount(0);
    }
    for (const DataProblem &p : result.problems) {
        QTableWidget *grid = p.warning ? grdWarnings : p.table == DataProblem::InvoiceLines ? flx : MSFlexGrid1;
        const int row = grid->rowCount();
        grid->insertRow(row);
        QStringList cells{p.serial, p.number, WorkTableColumnTitle(p.table, p.column), DataProblemValueText(p.value),
                          p.problem};
        if (p.warning)
            cells.prepend(DataProblemTableName(p.table));
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            grid->setItem(row, column, item);
        }
    }
    for (QTableWidget *grid : {flx, MSFlexGrid1, grdWarnings})
        grid->resizeColumnsToContents();
}
