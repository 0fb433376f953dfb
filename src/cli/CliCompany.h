#pragma once

#include "CliCommand.h"

// --company CODE --period YYMMYYMM: opens start-up's connections and chooses
// the company and period exactly as the selection window does. Gives CliOk,
// or CliFailed after saying why on standard error.
int SelectCliCompany(const CliOptions &options);
