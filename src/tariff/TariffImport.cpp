#include "TariffImport.h"

#include "WorkbookReader.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/Progress.h"
#include "app/UserInterface.h"
#include "app/Values.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

const QString kImportCancelled = QStringLiteral("The import was cancelled.");

QString &SheetName()
{
    static QString name;
    return name;
}

bool ReadTariffSheet(const QString &filePath, const QString &sheetName, QList<TariffRow> *rows, qint64 *sheetRows,
                     QString *error)
{
    rows->clear();
    *sheetRows = 0;
    WorkbookReader reader;
    if (!reader.open(filePath) || !reader.selectSheet(sheetName)) {
        *error = reader.errorString();
        return false;
    }
    const int tariffColumn = reader.columnIndex(QStringLiteral("TariffNo"));
    const int unitColumn = reader.columnIndex(QStringLiteral("Unit"));
    for (const auto &[column, title] : {std::pair{tariffColumn, "TariffNo"}, std::pair{unitColumn, "Unit"}}) {
        if (column < 0) {
            *error = QStringLiteral("The sheet %1 has no column titled \"%2\".").arg(sheetName, QLatin1String(title));
            return false;
        }
    }
    *sheetRows = reader.rowCount();
    rows->reserve(reader.rowCount());
    ProgressPhase progress(QStringLiteral("Reading the sheet"), reader.rowCount());
    for (qint64 r = 0; r < reader.rowCount(); ++r) {
        TariffRow row{reader.value(r, tariffColumn), reader.value(r, unitColumn)};
        if (!row.tariffNo.isNull())
            rows->append(row);
        if (!progress.step()) {
            rows->clear();
            *error = kImportCancelled;
            return false;
        }
    }
    if (!progress.finish()) {
        rows->clear();
        *error = kImportCancelled;
        return false;
    }
    return true;
}

bool ReplaceTariffMaster(QSqlDatabase db, const QList<TariffRow> &rows, QString *error)
{
    if (!db.isOpen()) {
        *error = QStringLiteral("The program database is not open.");
        return false;
    }
    auto fail = [&](const QSqlError &e) {
        *error = QStringLiteral("The tariff master could not be saved: %1").arg(ProgramDatabaseError(db, e));
        db.rollback();
        return false;
    };
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        // The write lock for the whole replacement up front, in one bounded
        // wait: taken later, every page written out while another program
        // reads would wait again, without end in sum.
        if (!query.exec(QStringLiteral("Begin Exclusive"))) {
            *error = QStringLiteral("The tariff master could not be saved: %1")
                         .arg(ProgramDatabaseError(db, query.lastError()));
            return false;
        }
        if (!query.exec(QStringLiteral("Delete from Import")))
            return fail(query.lastError());
        // One statement prepared once and reused: tens of thousands of rows in well under a second.
        if (!query.prepare(QStringLiteral("Insert into Import (TariffNo, Unit) values (?, ?)")))
            return fail(query.lastError());
        ProgressPhase progress(QStringLiteral("Importing rows"), rows.size());
        for (const TariffRow &row : rows) {
            query.bindValue(0, row.tariffNo);
            query.bindValue(1, row.unit.isNull() ? QVariant(QMetaType::fromType<QString>()) : row.unit);
            if (!query.exec())
                return fail(query.lastError());
            if (!progress.step()) {
                *error = kImportCancelled;
                db.rollback();
                return false;
            }
        }
        if (!progress.finish()) {
            *error = kImportCancelled;
            db.rollback();
            return false;
        }
        // Committed here rather than through the driver, which drops the
        // database's error code (a full disk shows up at this point).
        if (!query.exec(QStringLiteral("Commit")))
            return fail(query.lastError());
    }
    return true;
}

namespace {
// "Replace the tariff master (16 tariff numbers) with 2 rows from Tariff.xls, sheet Tariff?"
bool confirmReplace(QSqlDatabase db, qint64 rows, const QString &filePath, const QString &sheetName)
{
    QSqlQuery query(db);
    qint64 master = 0;
    if (query.exec(QStringLiteral("Select count(*) from Import")) && query.next())
        master = query.value(0).toLongLong();
    const QString question = QStringLiteral("Replace the tariff master (%1) with %2 from %3, sheet %4?")
                                 .arg(CountText(master, "tariff number", "tariff numbers"),
                                      CountText(rows, "row", "rows"), QFileInfo(filePath).fileName(), sheetName);
    return ShowMessage(question, kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true) == 0;
}
} // namespace

TariffImportResult ImportTariff(const QString &filePath, const QString &sheetName, const TariffImportProgress &progress,
                                TariffReplace replace)
{
    TariffImportResult result;
    QList<TariffRow> rows;
    bool ok = ReadTariffSheet(filePath, sheetName, &rows, &result.sheetRows, &result.error);
    if (ok) {
        if (progress.sheetRows)
            progress.sheetRows(result.sheetRows);
        if (replace == TariffReplace::Ask) {
            HidePleaseWait();
            const bool yes =
                confirmReplace(QSqlDatabase::database(Settings().cnProgram, false), rows.size(), filePath, sheetName);
            if (!yes)
                return result;
            ShowPleaseWait();
        }
        // The one command that makes the tariff master when there is none.
        if (!ConnectionIsOpen(Settings().cnProgram))
            ok = CreateProgramDatabase(Settings().cnProgram, ProgramDatabasePath(AppFolder()), &result.error);
        if (ok)
            ok = ReplaceTariffMaster(QSqlDatabase::database(Settings().cnProgram, false), rows, &result.error);
    }
    if (!ok) {
        // Said on one line when the user stopped it: the command line prints it as it is.
        result.cancelled = result.error == kImportCancelled;
        ShowMessage(result.error + (result.cancelled ? QStringLiteral(" ") : QStringLiteral("\n"))
                        + QStringLiteral("The tariff master has not been changed."),
                    kAppTitle, result.cancelled ? MsgBoxType::Information : MsgBoxType::Critical, MsgButtons::Ok, true);
        return result;
    }
    result.ok = true;
    result.rowsCopied = rows.size();
    if (progress.rowsCopied)
        progress.rowsCopied(result.rowsCopied);
    ShowMessage(QStringLiteral("Imported Successfully"), kAppTitle, MsgBoxType::Information, MsgButtons::Ok, true);
    if (progress.cleared)
        progress.cleared();
    return result;
}
