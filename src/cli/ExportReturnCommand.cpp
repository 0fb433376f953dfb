#include "CliCompany.h"
#include "CliProgress.h"
#include "app/Clock.h"
#include "app/Values.h"
#include "dates/DateText.h"
#include "reports/ReturnWorkbook.h"
#include "returns/ExportCommand.h"
#include "returns/ReturnQuarter.h"

#include <QDir>
#include <QRegularExpression>

namespace {
const QCommandLineOption kRegistration(QStringLiteral("registration"),
                                       QStringLiteral("the dealer's registration number"), QStringLiteral("NUMBER"));
const QCommandLineOption kYear(QStringLiteral("year"), QStringLiteral("the return year (this year)"),
                               QStringLiteral("YYYY"));
const QCommandLineOption kQuarter(QStringLiteral("quarter"), QStringLiteral("the quarter (Apr-Jun)"),
                                  QStringLiteral("Apr-Jun|Jul-Sep|Oct-Dec|Jan-Mar"));
const QCommandLineOption kDate(QStringLiteral("date"), QStringLiteral("the date of the self-assessment (today)"),
                               QStringLiteral("DD/MM/YYYY"));
const QCommandLineOption kPlace(QStringLiteral("place"), QStringLiteral("the place (MUMBAI)"), QStringLiteral("TEXT"));
const QCommandLineOption kRemarks(QStringLiteral("remarks"), QStringLiteral("the remarks (EXCISE RETURN)"),
                                  QStringLiteral("TEXT"));
const QCommandLineOption kXlsx(QStringLiteral("xlsx"), QStringLiteral("also write the return as a workbook"));

int runExport(const CliOptions &options)
{
    const auto usageError = [&](const QString &why) { return cliUsageError(why, options); };
    // The return window's defaults for what is not given.
    const QDate today = Clock::today();
    ReturnInputs form = DefaultReturnInputs(today);
    form.registrationNumber = options.value(kRegistration);
    form.year = options.value(kYear, form.year);
    form.quarter = options.value(kQuarter, form.quarter);
    form.date = options.value(kDate, form.date);
    form.place = options.value(kPlace, form.place);
    form.remarks = options.value(kRemarks, form.remarks);

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
    const QString shownReturn = QDir::toNativeSeparators(result.outputPath);
    if (!cliOut(shownReturn))
        cliErr(QStringLiteral("The return was written to %1").arg(shownReturn));
    if (!options.has(kXlsx))
        return CliOk;
    const QString workbook = ReturnWorkbookPath(result.outputPath);
    QString error;
    if (!WriteReturnWorkbook(result.outputPath, workbook, ReturnSchemaPath(), &error)) {
        cliErr(QStringLiteral("The return %1 is in place and valid; only its workbook failed. %2")
                   .arg(shownReturn, error));
        return CliFailed;
    }
    return cliOut(QDir::toNativeSeparators(workbook)) ? CliOk : CliFailed;
}
} // namespace

CliCommand ExportCliCommand()
{
    return {QStringLiteral("export"),
            QString(),
            QStringLiteral("write and validate the quarter's return; prints the file's path (and the workbook's, "
                           "with --xlsx)"),
            CliCompanyOptions()
                + QList<CliOption>{{kRegistration, true}, {kYear}, {kQuarter}, {kDate}, {kPlace}, {kRemarks}, {kXlsx}}
                + CliProgressOptions(),
            runExport,
            true};
}
