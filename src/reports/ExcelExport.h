#pragma once

#include <QString>

// Writes the workbook of one return of the past-returns list beside it: asks
// before writing over an earlier workbook, and offers to open the new one.
// False when nothing was written (declined or failed; a failure is shown).
bool ExportReturnToExcel(const QString &returnPath);
