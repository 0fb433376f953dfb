#include "CliCompany.h"
#include "CliProgress.h"
#include "returns/DataCheck.h"

namespace {
// Tabs and line ends inside a value would break the line apart.
QString field(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
}

int runCheck(const CliOptions &options)
{
    if (const int chosen = SelectCliCompany(options); chosen != CliOk)
        return chosen;

    StartCliProgress(options);
    const DataCheckResult result = CheckQuarterData();
    CliInterface().clearLine();
    for (const DataProblem &p : result.problems)
        cliOut(QStringList{DataProblemTableName(p.table), field(p.serial), field(p.number), p.column, field(p.value),
                           p.problem}
                   .join(QLatin1Char('\t')));
    cliErr(DataCheckSummary(result));
    if (result.cancelled)
        return CliCancelled;
    return result.checked && result.problemCount() == 0 ? CliOk : CliFailed;
}
} // namespace

CliCommand CheckCliCommand()
{
    return {QStringLiteral("check"),
            QString(),
            QStringLiteral("check the quarter's work tables as the return would read them; prints one line per "
                           "problem\n(table, SL-NO, number, column, value, problem, tab-separated) and exits 1 when "
                           "there is any;\nwarnings (a problem text starting \"Warning:\", rows the export writes "
                           "all the same) alone exit 0"),
            CliCompanyOptions() + CliProgressOptions(),
            runCheck,
            true};
}
