#pragma once

#include <QString>
#include <QStringList>

// The workbook beside a return: the same path with ".xlsx" for its extension.
QString ReturnWorkbookPath(const QString &returnPath);

// Writes the return at `returnPath` as an Excel workbook at `workbookPath`:
// sheets "Header", "Invoices", "Documents" and "Summary" (the quarter summary
// of the return's own lines). The return is first validated against the
// schema at `schemaPath`; an invalid one gives the validator's message. On any
// failure false with `error`, and a workbook already at `workbookPath` stays
// as it was.
bool WriteReturnWorkbook(const QString &returnPath, const QString &workbookPath, const QString &schemaPath,
                         QString *error);
