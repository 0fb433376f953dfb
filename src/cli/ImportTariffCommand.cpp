#include "CliCommand.h"
#include "CliProgress.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "tariff/TariffImport.h"
#include "tariff/WorkbookReader.h"

namespace {
const QCommandLineOption kWorkbook(QStringLiteral("workbook"), QStringLiteral("the Excel 97-2003 workbook"),
                                   QStringLiteral("FILE"));
const QCommandLineOption kSheet(QStringLiteral("sheet"), QStringLiteral("the sheet to import"), QStringLiteral("NAME"));
const QCommandLineOption kListSheets(QStringLiteral("list-sheets"),
                                     QStringLiteral("list the workbook's sheets instead of importing"));

int importTariff(const CliOptions &options)
{
    const QString workbook = options.value(kWorkbook);
    const bool list = options.has(kListSheets);
    if (workbook.isEmpty())
        return cliUsageError(QStringLiteral("--workbook needs a file"), options);
    if (list == options.has(kSheet))
        return cliUsageError(QStringLiteral("give either --sheet NAME or --list-sheets"), options);

    if (list) {
        QStringList names;
        QString error;
        if (!ListWorkbookSheets(workbook, &names, &error)) {
            cliErr(error);
            return CliFailed;
        }
        for (const QString &name : names)
            cliOut(name);
        return CliOk;
    }

    QString error;
    if (!CreateProgramDatabase(Settings().cnProgram, ProgramDatabasePath(AppFolder()), &error)) {
        cliErr(error + QStringLiteral("\nThe tariff master has not been changed."));
        return CliFailed;
    }
    StartCliProgress(options);
    const TariffImportResult result = ImportTariff(workbook, options.value(kSheet));
    if (result.ok)
        cliOut(
            QStringLiteral("Excel Records : %1\nTransfer Records : %2").arg(result.sheetRows).arg(result.rowsCopied));
    CloseConnection(Settings().cnProgram);
    if (result.cancelled)
        return CliCancelled;
    return result.ok ? CliOk : CliFailed;
}
} // namespace

CliCommand ImportTariffCliCommand()
{
    return {QStringLiteral("import-tariff"),
            QString(),
            QStringLiteral("replace the tariff master with a sheet's rows (TariffNo, Unit), or list the sheets"),
            QList<CliOption>{{kWorkbook, true}, {kSheet}, {kListSheets}} + CliProgressOptions(),
            importTariff,
            true};
}
