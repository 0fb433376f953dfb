#pragma once

#include <QList>
#include <QString>

// The tariff master (table Import of the program database) to look at, and
// the tariff numbers a quarter uses that it lacks.

struct TariffMasterRow
{
    QString tariffNo; // as stored
    QString unit; // as stored, empty when null
};

struct MissingTariff
{
    QString cetsh; // cleaned: blanks and dots removed, as the return looks it up
    int invoiceLines = 0; // STEMP4 rows that carry it
    int documents = 0; // PTEMP5 rows
};

struct TariffMasterView
{
    bool read = false; // false: `reason` says why
    QString reason;
    QList<TariffMasterRow> rows; // in ascending order of the tariff number
    // Numbers the quarter uses that the master lacks, ascending; empty
    // without a chosen company.
    QList<MissingTariff> missing;
    QString missingReason; // why the quarter could not be looked at, when it could not
};

// The master over `programConnection`; with a `companyConnection` that is
// open, also the quarter's numbers missing from it, by the return writer's
// own lookup.
TariffMasterView ReadTariffMasterView(const QString &programConnection, const QString &companyConnection);

// The rows whose tariff number or unit holds `filter` (letter case, blanks
// and dots ignored in the number); all for an empty filter.
QList<TariffMasterRow> FilterTariffMaster(const QList<TariffMasterRow> &rows, const QString &filter);
