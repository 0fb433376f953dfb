#include "CliCompany.h"

#include "app/Values.h"
#include "context/CompanySelection.h"
#include "context/Startup.h"

namespace {
const QCommandLineOption kCompany(QStringLiteral("company"), QStringLiteral("the company's code (see companies)"),
                                  QStringLiteral("CODE"));
const QCommandLineOption kPeriod(QStringLiteral("period"), QStringLiteral("the period's code (see companies)"),
                                 QStringLiteral("YYMMYYMM"));

bool sameCompany(const QVariant &code, const QString &wanted)
{
    return CompanyCodeText(code) == wanted || ValueText(code).trimmed() == wanted.trimmed();
}
} // namespace

const QCommandLineOption &CliCompanyOption()
{
    return kCompany;
}

QList<CliOption> CliCompanyOptions()
{
    return {{kCompany, true}, {kPeriod, true}};
}

bool OpenCliCompanies(QList<CompanyEntry> *companies)
{
    StartupFailure startup;
    if (!OpenStartupConnections(&startup)) {
        cliErr(startup.description);
        return false;
    }
    SelectionFailure failure;
    if (!ListCompanies(companies, &failure)) {
        cliErr(failure.description);
        return false;
    }
    return true;
}

int SelectCliCompany(const CliOptions &options)
{
    QList<CompanyEntry> companies;
    if (!OpenCliCompanies(&companies))
        return CliFailed;
    SelectionFailure failure;
    const QString wantedCompany = options.value(kCompany);
    const CompanyEntry *company = nullptr;
    for (const CompanyEntry &c : companies)
        if (sameCompany(c.code, wantedCompany)) {
            company = &c;
            break;
        }
    if (!company) {
        cliErr(QStringLiteral("No company with the code %1 (quorvant-cli companies lists them)").arg(wantedCompany));
        return CliFailed;
    }
    QList<PeriodEntry> periods;
    if (!ListPeriods(company->code, &periods, &failure)) {
        cliErr(failure.description);
        return CliFailed;
    }
    const QString wantedPeriod = options.value(kPeriod);
    const PeriodEntry *period = nullptr;
    for (const PeriodEntry &p : periods)
        if (p.code == wantedPeriod) {
            period = &p;
            break;
        }
    if (!period) {
        cliErr(QStringLiteral("The company %1 has no period %2 (quorvant-cli companies lists them)")
                   .arg(wantedCompany, wantedPeriod));
        return CliFailed;
    }
    if (!SelectCompany(company->code, company->name, *period, &failure)) {
        cliErr(failure.description);
        return CliFailed;
    }
    return CliOk;
}
