#include "CliCompany.h"
#include "CliProgress.h"
#include "reports/QuarterSummary.h"

#include <cstdio>

namespace {
const QCommandLineOption kFormat(QStringLiteral("format"), QStringLiteral("text (the default), csv or json"),
                                 QStringLiteral("text|csv|json"));

int runSummary(const CliOptions &options)
{
    const QString name = options.value(kFormat, QStringLiteral("text"));
    const QHash<QString, SummaryFormat> formats{{QStringLiteral("text"), SummaryFormat::Text},
                                                {QStringLiteral("csv"), SummaryFormat::Csv},
                                                {QStringLiteral("json"), SummaryFormat::Json}};
    if (!formats.contains(name))
        return cliUsageError(QStringLiteral("--format must be text, csv or json, not %1").arg(name), options);
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

CliCommand SummaryCliCommand()
{
    return {QStringLiteral("summary"),
            QString(),
            QStringLiteral("the quarter by tariff number: invoice lines and supplier documents, quantities and duty "
                           "on each\nside, the difference and flags; rows the return cannot carry are left out and "
                           "make it exit 1"),
            CliCompanyOptions() + QList<CliOption>{{kFormat}} + CliProgressOptions(),
            runSummary,
            true};
}
