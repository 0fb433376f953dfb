#include "CliCommand.h"
#include "CliProgress.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "tariff/TariffImport.h"
#include "tariff/WorkbookReader.h"

namespace {
const QString kUsage =
    QStringLiteral("import-tariff --workbook FILE (--sheet NAME | --list-sheets) [--progress | --quiet]\n"
                   "         replace the tariff master with a sheet's rows (TariffNo, Unit), or list the sheets");

int importTariff(const QStringList &args)
{
    const CliOptions options(
        args, {QStringLiteral("--workbook"), QStringLiteral("--sheet")},
        {QStringLiteral("--list-sheets"), QStringLiteral("--progress"), QStringLiteral("--quiet")});
    if (!options.ok())
        return cliUsageError(options.error(), kUsage);
    const QString workbook = options.value(QStringLiteral("--workbook"));
    const bool list = options.has(QStringLiteral("--list-sheets"));
    const bool hasSheet = options.has(QStringLiteral("--sheet"));
    if (workbook.isEmpty() || list == hasSheet || !options.positional().isEmpty()) {
        cliErr(QStringLiteral("usage: quorvant-cli ") + kUsage);
        return CliUsage;
    }

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
    const TariffImportResult result = ImportTariff(workbook, options.value(QStringLiteral("--sheet")));
    if (result.ok)
        cliOut(
            QStringLiteral("Excel Records : %1\nTransfer Records : %2").arg(result.sheetRows).arg(result.rowsCopied));
    CloseConnection(Settings().cnProgram);
    if (result.cancelled)
        return CliCancelled;
    return result.ok ? CliOk : CliFailed;
}
} // namespace

QV_CLI_STOPPABLE_COMMAND(QStringLiteral("import-tariff"), kUsage, importTariff)
