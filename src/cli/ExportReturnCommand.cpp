#include "CliCompany.h"
#include "CliProgress.h"

#include "app/Clock.h"
#include "app/Values.h"
#include "dates/DateText.h"
#include "reports/ReturnWorkbook.h"
#include "returns/ExportCommand.h"
#include "returns/ReturnQuarter.h"

#include <QRegularExpression>

namespace {
const QString kUsage = QStringLiteral(
    "export --company CODE --period YYMMYYMM --registration NUMBER [--year YYYY]\n"
    "         [--quarter Apr-Jun|Jul-Sep|Oct-Dec|Jan-Mar] [--date DD/MM/YYYY] [--place TEXT] [--remarks TEXT] "
    "[--xlsx]\n"
    "         [--progress | --quiet]\n"
    "         write and validate the quarter's return; prints the file's path (and the workbook's, with --xlsx)");

int usageError(const QString &why)
{
    return cliUsageError(why, kUsage);
}

int runExport(const QStringList &args)
{
    const QStringList valued{QStringLiteral("--company"), QStringLiteral("--period"),  QStringLiteral("--registration"),
                             QStringLiteral("--year"),    QStringLiteral("--quarter"), QStringLiteral("--date"),
                             QStringLiteral("--place"),   QStringLiteral("--remarks")};
    const CliOptions options(args, valued,
                             {QStringLiteral("--xlsx"), QStringLiteral("--progress"), QStringLiteral("--quiet")});
    if (const QString problem = options.problem(
            {QStringLiteral("--company"), QStringLiteral("--period"), QStringLiteral("--registration")});
        !problem.isEmpty())
        return usageError(problem);

    // The return window's defaults for what is not given.
    const QDate today = Clock::today();
    ReturnInputs form = DefaultReturnInputs(today);
    form.registrationNumber = options.value(QStringLiteral("--registration"));
    form.year = options.value(QStringLiteral("--year"), form.year);
    form.quarter = options.value(QStringLiteral("--quarter"), form.quarter);
    form.date = options.value(QStringLiteral("--date"), form.date);
    form.place = options.value(QStringLiteral("--place"), form.place);
    form.remarks = options.value(QStringLiteral("--remarks"), form.remarks);

    static const QRegularExpression year(QStringLiteral("^[0-9]{4}$"));
    if (!year.match(form.year).hasMatch())
        return usageError(QStringLiteral("--year needs four digits, not %1").arg(form.year));
    if (!ReturnQuarterNames().contains(form.quarter))
        return usageError(
            QStringLiteral("--quarter must be one of %1").arg(ReturnQuarterNames().join(QStringLiteral(", "))));
    // Taken as the return window's date box takes it: day-first text or its short runs of digits.
    QString completed;
    if (const QDate date = DayFirstDate(form.date); date.isValid())
        form.date = CanonicalDateText(date);
    else if (CompleteDateText(form.date, completed, today) && !completed.isEmpty())
        form.date = completed;
    else
        return usageError(QStringLiteral("--date needs a real date as DD/MM/YYYY, not %1").arg(form.date));

    // The company and period are chosen exactly as the selection window does.
    if (const int chosen = SelectCliCompany(options); chosen != CliOk)
        return chosen;

    StartCliProgress(options);
    // What the window would ask about is said, and the export goes on.
    const ExportResult result = ExportReturn(form, {}, ExportDoubts::Warn,
                                             [](const QString &text) { cliErr(QStringLiteral("Warning: ") + text); });
    if (result.cancelled)
        return CliCancelled;
    if (!result.success)
        return CliFailed;
    // Said on standard error too when standard output fails, so the file is not lost.
    if (!cliOut(result.outputPath))
        cliErr(QStringLiteral("The return was written to %1").arg(result.outputPath));
    if (!options.has(QStringLiteral("--xlsx")))
        return CliOk;
    const QString workbook = ReturnWorkbookPath(result.outputPath);
    QString error;
    if (!WriteReturnWorkbook(result.outputPath, workbook, ReturnSchemaPath(), &error)) {
        cliErr(QStringLiteral("The return %1 is in place and valid; only its workbook failed. %2")
                   .arg(result.outputPath, error));
        return CliFailed;
    }
    return cliOut(workbook) ? CliOk : CliFailed;
}
} // namespace

QV_CLI_STOPPABLE_COMMAND(QStringLiteral("export"), kUsage, runExport)
