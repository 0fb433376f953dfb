#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

// Company and period selection without windows: the company selection window
// and the command line share it.

struct CompanyEntry
{
    QVariant code; // the bound value (Comp_cd in FoxPro mode, Code in database mode)
    QString name; // the text shown
};

struct PeriodEntry
{
    QDate from;
    QDate to;
    QString fromText; // the start as text in the system's short-date format (grid column 2)
    QString toText; // the end, the same way (grid column 3)
    QString label; // "From       dd MMM yyyy       To       dd MMM yyyy" (grid column 1)
    QString code; // YYMMYYMM
};

// The code as the company's settings and folders spell it: "000" digits in
// FoxPro mode, the stored value unchanged in database mode.
QString CompanyCodeText(const QVariant &code);

// Why the company's code cannot name its folders (a path separator, "..", a
// control character or a character Windows cannot hold); empty when it can.
// Such a company cannot be chosen: ListPeriods and SelectCompany refuse it.
QString CompanyCodeProblem(const QVariant &code);

struct SelectionFailure
{
    int number = 0;
    QString description;
};

// The company list over cnKolvSet, in the mode's own table and order.
bool ListCompanies(QList<CompanyEntry> *companies, SelectionFailure *failure);

// The periods of one company, in the order the table gives them. FoxPro mode:
// reopens cnFoxCompany on the company folder. An empty code lists nothing and
// succeeds. No setting changes until SelectCompany succeeds.
bool ListPeriods(const QVariant &code, QList<PeriodEntry> *periods, SelectionFailure *failure);

// "&Select": opens cnCompany (and cnCompanyPeriod in FoxPro mode) for the
// company and period, then sets strCompName, strCompCode, strPeriodFrom and
// strPeriodTo once the folders ACES and ACES/<code> are there (made when
// missing; a folder that cannot be made is a failure that names it and gives
// the system's reason). Nothing of the settings changes when it fails. An empty name shows "Please select the
// Company" itself and fails with number 0; every other failure carries a
// number and a description for LogError.
bool SelectCompany(const QVariant &code, const QString &name, const PeriodEntry &period, SelectionFailure *failure);

// The choice the last successful SelectCompany made (empty before one, and
// after the settings were reset): what changing the company goes back to.
struct CompanyChoice
{
    QVariant code;
    QString name;
    PeriodEntry period;
};
CompanyChoice CurrentCompanyChoice();

// The main window's caption after a selection:
// "ABC TRADERS [ 001 ] [ 01/04/2014 -- 31/03/2015 ]".
QString CompanyCaption();
