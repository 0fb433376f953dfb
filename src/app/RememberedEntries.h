#pragma once

#include <QString>

// What the user typed last, kept in the user's settings file (never in the
// accounting data) and offered again: the user ID at the login, and per
// application folder the company and period chosen last and, per company,
// the return window's registration number, place and remarks.

QString RememberedUserId();
void RememberUserId(const QString &userId);

struct RememberedChoice
{
    QString companyCode; // as the settings spell it (strCompCode)
    QString periodCode; // YYMMYYMM
};
RememberedChoice RememberedCompanyChoice();
void RememberCompanyChoice(const RememberedChoice &choice);

struct RememberedReturnEntries
{
    QString registrationNumber;
    QString place;
    QString remarks;
    bool isEmpty() const { return registrationNumber.isEmpty() && place.isEmpty() && remarks.isEmpty(); }
};
RememberedReturnEntries RememberedReturnFields(const QString &companyCode);
void RememberReturnFields(const QString &companyCode, const RememberedReturnEntries &entries);

// Drops every remembered entry; the remembered application folder and the
// accepted date format stay, as they are settings rather than entries.
void ForgetRememberedEntries();
