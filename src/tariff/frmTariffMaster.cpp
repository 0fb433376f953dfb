#include "frmTariffMaster.h"

#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "returns/DataCheck.h"
#include "ui/WindowKit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QColor kMissing(255, 214, 204);
const QString kNotInMaster = QStringLiteral("(not in the master)");
} // namespace

frmTariffMaster::frmTariffMaster(QWidget *parent)
    : QWidget(parent)
{
    SetUpReportWindow(this, QStringLiteral("frmTariffMaster"), QStringLiteral("Tariff Master"), 8000, 9000);

    lblStatus = ReportStatusLabel(this);
    auto *filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    txtFilter = Named(new QLineEdit(this), "txtFilter");
    txtFilter->setClearButtonEnabled(true);
    filterLabel->setBuddy(txtFilter);
    lblCount = Named(new QLabel(this), "lblCount");
    grdMaster = Named(new QTableWidget(this), "grdMaster");
    SetUpReportGrid(grdMaster,
                    {QStringLiteral("Tariff No."), QStringLiteral("Unit"), QStringLiteral("In the quarter")});

    auto *filter = new QHBoxLayout;
    filter->addWidget(filterLabel);
    filter->addWidget(txtFilter, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addLayout(filter);
    layout->addWidget(grdMaster, 1);
    layout->addWidget(lblCount);

    connect(txtFilter, &QLineEdit::textChanged, this, &frmTariffMaster::fill);
    Refresh();
}

void frmTariffMaster::Refresh()
{
    const AppSettings &s = Settings();
    QString reason;
    // The quarter only when a company is chosen and its work tables are there.
    const bool quarter = !s.strCompCode.isEmpty() && PrepareWorkTables(&reason);
    m_view = WhilePleaseWait([&] { return ReadTariffMasterView(s.cnProgram, quarter ? s.cnCompany : QString()); });
    if (m_view.missingReason.isEmpty() && !s.strCompCode.isEmpty())
        m_view.missingReason = reason;
    fill();
}

void frmTariffMaster::fill()
{
    const QString filter = txtFilter->text();
    const QList<TariffMasterRow> rows = FilterTariffMaster(m_view.rows, filter);
    QList<TariffMasterRow> missing;
    for (const MissingTariff &m : m_view.missing)
        missing << TariffMasterRow{m.cetsh, kNotInMaster};
    missing = FilterTariffMaster(missing, filter.contains(kNotInMaster) ? QString() : filter);

    grdMaster->clearContents();
    grdMaster->setRowCount(int(missing.size() + rows.size()));
    int row = 0;
    for (const TariffMasterRow &m : missing) {
        const auto it = std::find_if(m_view.missing.begin(), m_view.missing.end(),
                                     [&m](const MissingTariff &t) { return t.cetsh == m.tariffNo; });
        const QString used = QStringLiteral("%1 invoice lines, %2 documents").arg(it->invoiceLines).arg(it->documents);
        const QStringList values{m.tariffNo, m.unit, used};
        for (int column = 0; column < values.size(); ++column) {
            auto *item = new QTableWidgetItem(values[column]);
            item->setBackground(kMissing);
            grdMaster->setItem(row, column, item);
        }
        ++row;
    }
    for (const TariffMasterRow &r : rows) {
        grdMaster->setItem(row, 0, new QTableWidgetItem(r.tariffNo));
        grdMaster->setItem(row, 1, new QTableWidgetItem(r.unit));
        ++row;
    }
    grdMaster->resizeColumnsToContents();

    lblStatus->setText(
        !m_view.read ? m_view.reason
        : !m_view.missingReason.isEmpty()
            ? QStringLiteral("The quarter could not be looked at: %1").arg(m_view.missingReason)
        : m_view.missing.isEmpty()
            ? QStringLiteral("The master holds every tariff number the work tables use.")
            : QStringLiteral("Not in the master, used by the quarter: %1 tariff number(s), listed first.")
                  .arg(m_view.missing.size()));
    lblCount->setText(filter.trimmed().isEmpty()
                          ? QStringLiteral("%1 tariff numbers").arg(m_view.rows.size())
                          : QStringLiteral("%1 of %2 tariff numbers").arg(rows.size()).arg(m_view.rows.size()));
}
