#include "CliCommand.h"
#include "CliProgress.h"

#include "reports/PastReturns.h"
#include "returns/ExportCommand.h"

#include <QDir>
#include <QHash>

namespace {
const QString kReturnsUsage = QStringLiteral(
    "returns --company CODE [--format text|csv|json] [--progress | --quiet]\n"
    "         the company's returns (ACES/CODE), newest first: year, quarter, registration number, when written,\n"
    "         size and whether the schema takes them today; rejected files apart; exits 1 when one is not valid");
const QString kCompareUsage = QStringLiteral(
    "compare BEFORE.xml AFTER.xml [--format text|csv|json]\n"
    "         two returns of one quarter: invoice lines and documents added, removed and changed, duty side by side");

// The --format option; false after a usage error.
bool formatOf(const CliOptions &options, ListFormat *format)
{
    const QHash<QString, ListFormat> formats{{QStringLiteral("text"), ListFormat::Text},
                                             {QStringLiteral("csv"), ListFormat::Csv},
                                             {QStringLiteral("json"), ListFormat::Json}};
    const QString name = options.value(QStringLiteral("--format"), QStringLiteral("text"));
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

int runReturns(const QStringList &args)
{
    const CliOptions options(args, {QStringLiteral("--company"), QStringLiteral("--format")},
                             {QStringLiteral("--progress"), QStringLiteral("--quiet")});
    if (const QString problem = options.problem({QStringLiteral("--company")}); !problem.isEmpty())
        return cliUsageError(problem, kReturnsUsage);
    ListFormat format;
    if (!formatOf(options, &format))
        return cliUsageError(QStringLiteral("--format must be text, csv or json"), kReturnsUsage);
    const QString company = options.value(QStringLiteral("--company"));
    const QString folder = CompanyReturnsFolder(company);
    if (folder.isEmpty())
        return cliUsageError(QStringLiteral("%1 is no company code").arg(company), kReturnsUsage);
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

int runCompare(const QStringList &args)
{
    const CliOptions options(args, {QStringLiteral("--format")});
    if (!options.ok() || options.positional().size() != 2)
        return cliUsageError(options.ok() ? QStringLiteral("two return files are needed") : options.error(),
                             kCompareUsage);
    ListFormat format;
    if (!formatOf(options, &format))
        return cliUsageError(QStringLiteral("--format must be text, csv or json"), kCompareUsage);
    const ReturnComparison comparison =
        CompareReturns(ReadReturnContent(options.positional()[0]), ReadReturnContent(options.positional()[1]));
    if (!comparison.problem.isEmpty()) {
        cliErr(comparison.problem);
        return CliFailed;
    }
    return print(FormatComparison(comparison, format)) ? CliOk : CliFailed;
}
} // namespace

QV_CLI_STOPPABLE_COMMAND(QStringLiteral("returns"), kReturnsUsage, runReturns)
QV_CLI_COMMAND(QStringLiteral("compare"), kCompareUsage, runCompare)
