#include "CliCommand.h"

#include "reports/ReturnWorkbook.h"
#include "returns/ExportCommand.h"

namespace {
const QString kUsage = QStringLiteral(
    "to-xlsx RETURN.xml [--out FILE.xlsx]\n"
    "         write a valid return as an Excel workbook (by default beside it, as .xlsx); prints its path");

int runToXlsx(const QStringList &args)
{
    const CliOptions options(args, {QStringLiteral("--out")});
    if (!options.ok() || options.positional().size() != 1)
        return cliUsageError(options.ok() ? QStringLiteral("one return file is needed") : options.error(), kUsage);
    const QString file = options.positional().first();
    const QString out = options.value(QStringLiteral("--out"), ReturnWorkbookPath(file));
    if (out.isEmpty())
        return cliUsageError(QStringLiteral("--out needs a file name"), kUsage);
    QString error;
    if (!WriteReturnWorkbook(file, out, ReturnSchemaPath(), &error)) {
        cliErr(error);
        return CliFailed;
    }
    return cliOut(out) ? CliOk : CliFailed;
}
} // namespace

QV_CLI_COMMAND(QStringLiteral("to-xlsx"), kUsage, runToXlsx)
