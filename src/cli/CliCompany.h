#pragma once

#include "CliCommand.h"
#include "context/CompanySelection.h"

// --company CODE and --period YYMMYYMM, both required.
const QCommandLineOption &CliCompanyOption();
QList<CliOption> CliCompanyOptions();

// --company CODE --period YYMMYYMM: opens start-up's connections and chooses
// the company and period exactly as the selection window does. Gives CliOk,
// or CliFailed after saying why on standard error.
int SelectCliCompany(const CliOptions &options);

// Opens start-up's connections and reads the company list; false after saying
// why on standard error.
bool OpenCliCompanies(QList<CompanyEntry> *companies);
