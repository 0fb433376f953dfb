#include "CliCommand.h"
#include "CliCompany.h"
#include "app/Values.h"
#include "context/CompanySelection.h"

namespace {
// One line per company ("code<TAB>name"), then one per period
// ("<TAB>period code<TAB>from<TAB>to"), dates as dd/mm/yyyy. A company whose
// code cannot name a folder is left out, said why on standard error, and the
// command fails after listing the others.
int runCompanies(const CliOptions &)
{
    QList<CompanyEntry> companies;
    if (!OpenCliCompanies(&companies))
        return CliFailed;
    SelectionFailure failure;
    int status = CliOk;
    for (const CompanyEntry &company : companies) {
        if (const QString problem = CompanyCodeProblem(company.code); !problem.isEmpty()) {
            cliErr(problem);
            status = CliFailed;
            continue;
        }
        cliOut(CompanyCodeText(company.code) + QLatin1Char('\t') + company.name);
        QList<PeriodEntry> periods;
        if (!ListPeriods(company.code, &periods, &failure)) {
            cliErr(failure.description);
            return CliFailed;
        }
        for (const PeriodEntry &p : periods)
            cliOut(QStringLiteral("\t%1\t%2\t%3").arg(p.code, CanonicalDateText(p.from), CanonicalDateText(p.to)));
    }
    return status;
}
} // namespace

CliCommand CompaniesCliCommand()
{
    return {QStringLiteral("companies"),
            QString(),
            QStringLiteral("list company codes, names and periods"),
            {},
            runCompanies};
}
