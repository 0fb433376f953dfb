#include "ExcelExport.h"

#include "ReturnWorkbook.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "returns/ExportCommand.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QUrl>

void ExportReturnToExcel(QWidget *parent)
{
    const QStringList returns = CompanyReturns();
    if (returns.isEmpty()) {
        ShowMessage(Settings().strCompCode.isEmpty()
                        ? QStringLiteral("Choose a company first.")
                        : QStringLiteral("The company has no returns yet: export one to XML first."),
                    kAppTitle, MsgBoxType::Information, MsgButtons::Ok, false);
        return;
    }
    QStringList names;
    for (const QString &path : returns)
        names << QFileInfo(path).fileName();
    bool chosen = false;
    const QString name = QInputDialog::getItem(parent, QStringLiteral("Export To Excel"),
                                               QStringLiteral("Return (newest first):"), names, 0, false, &chosen);
    if (!chosen || name.isEmpty())
        return;
    const QString returnPath = returns.at(names.indexOf(name));
    const QString workbook = ReturnWorkbookPath(returnPath);
    QString error;
    ShowPleaseWait();
    const bool written = WriteReturnWorkbook(returnPath, workbook, ReturnSchemaPath(), &error);
    HidePleaseWait();
    if (!written) {
        ShowMessage(error, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        return;
    }
    if (ShowMessage(QStringLiteral("%1 is written beside the return. Open it now?").arg(QFileInfo(workbook).fileName()),
                    kAppTitle, MsgBoxType::Information, MsgButtons::YesNo, false)
        == 0)
        QDesktopServices::openUrl(QUrl::fromLocalFile(workbook));
}
