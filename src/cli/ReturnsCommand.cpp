#include "CliCommand.h"
#include "CliCompany.h"
#include "CliProgress.h"
#include "reports/PastReturns.h"
#include "returns/ExportCommand.h"

#include <QDir>
#include <QHash>

namespace {
const QCommandLineOption kFormat(QStringLiteral("format"), QStringLiteral("text (the default), csv or json"),
                                 QStringLiteral("text|csv|json"));

// The --format option; false after a usage error.
bool formatOf(const CliOptions &options, ListFormat *format)
{
    const QHash<QString, ListFormat> formats{{QStringLiteral("text"), ListFormat::Text},
                                             {QStringLiteral("csv"), ListFormat::Csv},
                                             {QStringLiteral("json"), ListFormat::Json}};
    const QString name = options.value(kFormat, QStringLiteral("text"));
    if (!formats.contains(name))
        return false;
    *format = formats.value(name);
    return true;
}

bool print(QString text)
{
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1); // cliOut ends the last line (a CSV line keeps its CR)
    return cliOut(text);
}

int runReturns(const CliOptions &options)
{
    ListFormat format;
    if (!formatOf(options, &format))
        return cliUsageError(QStringLiteral("--format must be text, csv or json"), options);
    const QString company = options.value(CliCompanyOption());
    const QString folder = CompanyReturnsFolder(company);
    if (folder.isEmpty())
        return cliUsageError(QStringLiteral("%1 is no company code").arg(company), options);
    StartCliProgress(options);
    const PastReturnList list = ListPastReturns(folder, ReturnSchemaPath());
    if (!list.found) {
        cliErr(QStringLiteral("No returns of company %1: there is no folder %2")
                   .arg(company, QDir::toNativeSeparators(folder)));
        return CliFailed;
    }
    if (list.cancelled) {
        cliErr(QStringLiteral("Stopped."));
        return CliCancelled;
    }
    if (!print(FormatPastReturns(list, format)))
        return CliFailed;
    for (const PastReturn &r : list.returns)
        if (r.state != ReturnState::Valid)
            return CliFailed;
    return CliOk;
}

int runCompare(const CliOptions &options)
{
    ListFormat format;
    if (!formatOf(options, &format))
        return cliUsageError(QStringLiteral("--format must be text, csv or json"), options);
    const ReturnComparison comparison =
        CompareReturns(ReadReturnContent(options.positional()[0]), ReadReturnContent(options.positional()[1]));
    if (!comparison.problem.isEmpty()) {
        cliErr(comparison.problem);
        return CliFailed;
    }
    return print(FormatComparison(comparison, format)) ? CliOk : CliFailed;
}
} // namespace

CliCommand ReturnsCliCommand()
{
    return {QStringLiteral("returns"),
            QString(),
            QStringLiteral("the company's returns (ACES/CODE), newest first: year, quarter, registration number, when "
                           "written,\nsize and whether the schema takes them today; rejected files apart; exits 1 "
                           "when one is not valid"),
            QList<CliOption>{{CliCompanyOption(), true}, {kFormat}} + CliProgressOptions(),
            runReturns,
            true};
}

CliCommand CompareCliCommand()
{
    return {QStringLiteral("compare"),
            QStringLiteral("BEFORE.xml AFTER.xml"),
            QStringLiteral("two returns of one quarter: invoice lines and documents added, removed and changed, duty "
                           "side by side"),
            {{kFormat}},
            runCompare};
}
