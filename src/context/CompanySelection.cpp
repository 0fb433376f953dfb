#include "CompanySelection.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/ErrorLog.h"
#include "app/Folders.h"
#include "app/UserInterface.h"
#include "app/Values.h"
#include "sources/DataConnections.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
bool fail(SelectionFailure *failure, int number, const QString &description)
{
    failure->number = number;
    failure->description = description;
    return false;
}

QVariant field(const QSqlQuery &q, const char *name)
{
    return q.value(QLatin1String(name)); // QSqlRecord matches names without regard to case
}

bool isEmptyCode(const QVariant &code)
{
    return !code.isValid() || code.isNull() || code.toString().trimmed().isEmpty();
}

CompanyChoice g_choice;

PeriodEntry makePeriod(const QDate &from, const QDate &to)
{
    PeriodEntry p;
    p.from = from;
    p.to = to;
    p.fromText = ShortDateText(from);
    p.toText = ShortDateText(to);
    const QLocale locale = QLocale::system();
    p.label = QStringLiteral("From       ") + locale.toString(from, QStringLiteral("dd MMM yyyy"))
              + QStringLiteral("       To       ") + locale.toString(to, QStringLiteral("dd MMM yyyy"));
    p.code = PeriodCode(from, to);
    return p;
}
} // namespace

QString CompanyCodeText(const QVariant &code)
{
    return Settings().blnFoxPro ? FoxProCompanyCode(code) : ValueText(code);
}

QString CompanyCodeProblem(const QVariant &code)
{
    return FolderNameProblem(QStringLiteral("company code"), CompanyCodeText(code));
}

bool ListCompanies(QList<CompanyEntry> *companies, SelectionFailure *failure)
{
    companies->clear();
    const bool fox = Settings().blnFoxPro;
    QSqlQuery q(NamedConnection(Settings().cnKolvSet));
    const QString sql = fox ? QStringLiteral("select Comp_cd,Comp_nm FROM Kolvcomp order by Comp_Cd ")
                            : QStringLiteral("select Code,Name FROM kolvcomp order by code ");
    if (!q.exec(sql))
        return fail(failure, ErrDatabase, q.lastError().text());
    while (q.next()) {
        CompanyEntry e;
        e.code = q.value(0);
        // FoxPro keeps names blank-padded to the field's width; the list shows the name itself.
        QString name = ValueText(q.value(1));
        while (name.endsWith(QLatin1Char(' ')))
            name.chop(1);
        e.name = name;
        companies->append(e);
    }
    if (q.lastError().isValid())
        return fail(failure, ErrDatabase, q.lastError().text());
    return true;
}

bool ListPeriods(const QVariant &code, QList<PeriodEntry> *periods, SelectionFailure *failure)
{
    periods->clear();
    const AppSettings &s = Settings();
    QString error;
    QSqlQuery q;
    if (!isEmptyCode(code)) {
        if (const QString problem = CompanyCodeProblem(code); !problem.isEmpty())
            return fail(failure, ErrBadFileName, problem);
    }
    if (s.blnFoxPro) {
        const QString folder = CompanyFolder(AppFolder(), FoxProCompanyCode(code));
        if (!OpenFoxProConnection(s.cnFoxCompany, folder, &error))
            return fail(failure, ErrPathNotFound, error);
        if (isEmptyCode(code))
            return true;
        q = QSqlQuery(NamedConnection(s.cnFoxCompany));
        if (!q.exec(QStringLiteral("Select * from Company order by ystart_dt ")))
            return fail(failure, ErrDatabase, q.lastError().text());
    } else {
        if (isEmptyCode(code))
            return true;
        q = QSqlQuery(NamedConnection(s.cnKolvSet));
        q.prepare(QStringLiteral("Select * from Kolvperd Where Code=?"));
        q.addBindValue(code);
        if (!q.exec())
            return fail(failure, ErrDatabase, q.lastError().text());
    }
    const char *startName = s.blnFoxPro ? "ystart_dt" : "StartDate";
    const char *endName = s.blnFoxPro ? "yLast_dt" : "Lastdate";
    while (q.next())
        periods->append(makePeriod(ValueDate(field(q, startName)), ValueDate(field(q, endName))));
    if (q.lastError().isValid())
        return fail(failure, ErrDatabase, q.lastError().text());
    return true;
}

bool SelectCompany(const QVariant &code, const QString &name, const PeriodEntry &period, SelectionFailure *failure)
{
    if (name.isEmpty()) {
        ShowMessage(QStringLiteral("Please select the Company"), kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        return fail(failure, 0, QStringLiteral("Please select the Company"));
    }
    if (period.code.isEmpty())
        return fail(failure, 13, QStringLiteral("Type mismatch: the company has no accounting period to select"));

    AppSettings &s = Settings();
    const QString app = AppFolder();
    const QString compCode = CompanyCodeText(code);
    // Both codes become folder names below the application folder.
    if (const QString problem = CompanyCodeProblem(code); !problem.isEmpty())
        return fail(failure, ErrBadFileName, problem);
    if (const QString problem = FolderNameProblem(QStringLiteral("period code"), period.code); !problem.isEmpty())
        return fail(failure, ErrBadFileName, problem);
    QString error;
    if (s.blnFoxPro) {
        if (!OpenFoxProConnection(s.cnCompany, app, &error))
            return fail(failure, ErrDatabase, error);
        const QString periodFolder = PeriodFolder(CompanyFolder(app, compCode), period.code);
        if (!OpenFoxProConnection(s.cnCompanyPeriod, periodFolder, &error))
            return fail(failure, ErrPathNotFound, error);
    } else if (FileExistsNoCase(s.strWinDir, QStringLiteral("Access.inf"))) {
        if (!OpenJetConnection(s.cnCompany, JetCompanyFile(s.strDataPath, compCode, period.code), &error))
            return fail(failure, ErrDatabase, error);
    } else {
        if (!OpenSqlServerConnection(s.cnCompany, s.strServerName, CompanyCatalog(compCode), &error))
            return fail(failure, ErrDatabase, error);
    }

    // The returns' folder: said now, not when a return cannot be written.
    const QString folder = ReturnsFolder(compCode);
    if (!CreateFolder(QFileInfo(folder).path(), &error) || !CreateFolder(folder, &error))
        return fail(failure, ErrFileAccess, error);

    s.strCompName = name;
    s.strCompCode = compCode;
    s.strPeriodFrom = period.fromText;
    s.strPeriodTo = period.toText;
    g_choice = {code, name, period};
    return true;
}

CompanyChoice CurrentCompanyChoice()
{
    return Settings().strCompCode.isEmpty() ? CompanyChoice() : g_choice;
}

QString CompanyCaption()
{
    const AppSettings &s = Settings();
    return s.strCompName + QStringLiteral(" [ ") + s.strCompCode + QStringLiteral(" ] [ ") + s.strPeriodFrom
           + QStringLiteral(" -- ") + s.strPeriodTo + QStringLiteral(" ]");
}
