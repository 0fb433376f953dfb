#include "TariffMasterView.h"

#include "app/Connections.h"
#include "returns/WorkTableRecords.h"
#include "returns/WorkTables.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <map>

namespace {
QString cleaned(QString text)
{
    return text.remove(QLatin1Char(' ')).remove(QLatin1Char('.'));
}

// Counts, per cleaned number, the rows of one work table the master lacks.
template <typename Record>
bool countMissing(WorkTableReader &reader, WorkTable table, std::map<QString, MissingTariff> *missing, QString *reason)
{
    const bool invoiceLines = table == WorkTable::InvoiceLines;
    const auto walk = reader.walk<Record>(
        table, invoiceLines ? QStringLiteral("Invoice lines") : QStringLiteral("Supplier documents"),
        [&](const Record &) {
            for (const RowProblem &p : reader.problems())
                if (p.kind == RowProblem::NotInMaster || p.kind == RowProblem::DocumentNotInMaster) {
                    MissingTariff &m = (*missing)[p.detail];
                    m.cetsh = p.detail;
                    ++(invoiceLines ? m.invoiceLines : m.documents);
                }
            return true;
        });
    *reason = walk == WorkTableReader::Walk::Cancelled ? QStringLiteral("The look at the work tables was cancelled.")
                                                       : reader.errorString();
    return walk == WorkTableReader::Walk::Done;
}
} // namespace

TariffMasterView ReadTariffMasterView(const QString &programConnection, const QString &companyConnection)
{
    TariffMasterView view;
    const QSqlDatabase db = QSqlDatabase::database(programConnection, false);
    if (!db.isOpen()) {
        view.reason = QStringLiteral("The program database is not open.");
        return view;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT TariffNo, Unit FROM Import ORDER BY TariffNo"))) {
        view.reason =
            QStringLiteral("The tariff master could not be read: %1").arg(ProgramDatabaseError(db, query.lastError()));
        return view;
    }
    while (query.next())
        view.rows << TariffMasterRow{query.value(0).toString(), query.value(1).toString()};
    view.read = true;

    if (companyConnection.isEmpty() || !QSqlDatabase::database(companyConnection, false).isOpen())
        return view;
    TariffMaster master(programConnection);
    WorkTableReader reader(companyConnection, &master, WorkTableReader::Mode::Everything);
    std::map<QString, MissingTariff> missing;
    if (!countMissing<InvoiceLine>(reader, WorkTable::InvoiceLines, &missing, &view.missingReason)
        || !countMissing<SupplierDocument>(reader, WorkTable::SupplierDocuments, &missing, &view.missingReason))
        return view;
    for (const auto &[cetsh, m] : missing)
        view.missing << m;
    return view;
}

QList<TariffMasterRow> FilterTariffMaster(const QList<TariffMasterRow> &rows, const QString &filter)
{
    const QString wanted = filter.trimmed();
    if (wanted.isEmpty())
        return rows;
    const QString number = cleaned(wanted);
    QList<TariffMasterRow> out;
    for (const TariffMasterRow &r : rows)
        if ((!number.isEmpty() && cleaned(r.tariffNo).contains(number, Qt::CaseInsensitive))
            || r.unit.contains(wanted, Qt::CaseInsensitive))
            out << r;
    return out;
}
