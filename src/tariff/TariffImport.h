#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

// The sheet chosen in the import window, exactly as listed. It outlives the
// window and is never cleared during the run.
QString &SheetName();

// One tariff row as read from the sheet: TariffNo is never null; Unit may be.
struct TariffRow
{
    QVariant tariffNo;
    QVariant unit;
};

// Reads the columns titled "TariffNo" and "Unit" (any position, any letter
// case) of one sheet, skipping rows whose tariff number is empty. `sheetRows`
// receives the number of records of the sheet.
bool ReadTariffSheet(const QString &filePath, const QString &sheetName, QList<TariffRow> *rows, qint64 *sheetRows,
                     QString *error);

// Both steps show their progress and stop when the user cancels; `error` then
// holds kImportCancelled.
extern const QString kImportCancelled;

// Replaces every row of the table Import with `rows` in one transaction: on
// failure or cancel the previous master is left exactly as it was. Another program's lock
// is waited for once, at most kProgramDatabaseWaitSeconds.
bool ReplaceTariffMaster(QSqlDatabase db, const QList<TariffRow> &rows, QString *error);

// Where the import window shows its counts; every member may be left empty.
struct TariffImportProgress
{
    std::function<void(qint64)> sheetRows; // records of the sheet
    std::function<void(qint64)> rowsCopied; // rows written to the master
    std::function<void()> cleared; // the success message was closed
};

struct TariffImportResult
{
    bool ok = false;
    bool cancelled = false; // the user stopped it; the master is unchanged
    qint64 sheetRows = 0;
    qint64 rowsCopied = 0;
    QString error;
};

enum class TariffReplace { Ask, Always };

// The whole import over the program database (Settings().cnProgram): read the
// sheet, replace the master, then "Imported Successfully"; on failure the
// reason through ShowMessage and the master untouched. With TariffReplace::Ask the
// sheet is read first and the user confirms the replacement (No the default).
TariffImportResult ImportTariff(const QString &filePath, const QString &sheetName,
                                const TariffImportProgress &progress = {},
                                TariffReplace replace = TariffReplace::Always);
