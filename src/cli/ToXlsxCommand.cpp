#include "CliCommand.h"
#include "reports/ReturnWorkbook.h"
#include "returns/ExportCommand.h"

#include <QDir>

namespace {
const QCommandLineOption kOut(QStringLiteral("out"), QStringLiteral("the workbook to write"),
                              QStringLiteral("FILE.xlsx"));

int runToXlsx(const CliOptions &options)
{
    const QString file = options.positional().first();
    const QString out = options.value(kOut, ReturnWorkbookPath(file));
    if (out.isEmpty())
        return cliUsageError(QStringLiteral("--out needs a file name"), options);
    QString error;
    if (!WriteReturnWorkbook(file, out, ReturnSchemaPath(), &error)) {
        cliErr(error);
        return CliFailed;
    }
    return cliOut(QDir::toNativeSeparators(out)) ? CliOk : CliFailed;
}
} // namespace

CliCommand ToXlsxCliCommand()
{
    return {QStringLiteral("to-xlsx"),
            QStringLiteral("RETURN.xml"),
            QStringLiteral("write a valid return as an Excel workbook (by default beside it, as .xlsx); prints its "
                           "path"),
            {{kOut}},
            runToXlsx};
}
