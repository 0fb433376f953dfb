#include "CliCompany.h"
#include "CliProgress.h"

#include "reports/QuarterSummary.h"

#include <cstdio>

namespace {
const QString kUsage = QStringLiteral(
    "summary --company CODE --period YYMMYYMM [--format text|csv|json] [--progress | --quiet]\n"
    "         the quarter by tariff number: invoice lines and supplier documents, quantities and duty on each\n"
    "         side, the difference and flags; rows the return cannot carry are left out and make it exit 1");

int runSummary(const QStringList &args)
{
    const CliOptions options(args,
                             {QStringLiteral("--company"), QStringLiteral("--period"), QStringLiteral("--format")},
                             {QStringLiteral("--progress"), QStringLiteral("--quiet")});
    if (const QString problem = options.problem({QStringLiteral("--company"), QStringLiteral("--period")});
        !problem.isEmpty())
        return cliUsageError(problem, kUsage);
    const QString name = options.value(QStringLiteral("--format"), QStringLiteral("text"));
    const QHash<QString, SummaryFormat> formats{{QStringLiteral("text"), SummaryFormat::Text},
                                                {QStringLiteral("csv"), SummaryFormat::Csv},
                                                {QStringLiteral("json"), SummaryFormat::Json}};
    if (!formats.contains(name))
        return cliUsageError(QStringLiteral("--format must be text, csv or json, not %1").arg(name), kUsage);
    if (const int chosen = SelectCliCompany(options); chosen != CliOk)
        return chosen;

    StartCliProgress(options);
    const QuarterSummary summary = SummariseQuarter();
    CliInterface().clearLine();
    if (!summary.read) {
        cliErr(summary.reason);
        return summary.cancelled ? CliCancelled : CliFailed;
    }
    QString text = FormatSummary(summary.entries, summary.total, formats.value(name));
    text.chop(1); // cliOut ends the last line
    if (!cliOut(text))
        return CliFailed;
    if (const QString leftOut = LeftOutText(summary); !leftOut.isEmpty()) {
        cliErr(leftOut);
        return CliFailed;
    }
    return CliOk;
}
} // namespace

QV_CLI_STOPPABLE_COMMAND(QStringLiteral("summary"), kUsage, runSummary)
