#include "ExcelExport.h"

#include "ReturnWorkbook.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "returns/ExportCommand.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
// Whether the desktop names a program for .xlsx workbooks; where it cannot
// say, opening is tried and its failure reported.
bool workbookOpener()
{
#ifdef Q_OS_WIN
    return true;
#else
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return false;
    QProcess p;
    p.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet")});
    return p.waitForFinished(5000) && p.exitCode() == 0 && !p.readAllStandardOutput().trimmed().isEmpty();
#endif
}
} // namespace

bool ExportReturnToExcel(const QString &returnPath)
{
    const QString workbook = ReturnWorkbookPath(returnPath);
    if (QFileInfo::exists(workbook)
        && ShowMessage(QStringLiteral("%1 already exists beside the return. Write it again?")
                           .arg(QFileInfo(workbook).fileName()),
                       kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
               != 0)
        return false;
    QString error;
    const bool written =
        WhilePleaseWait([&] { return WriteReturnWorkbook(returnPath, workbook, ReturnSchemaPath(), &error); });
    if (!written) {
        ShowMessage(error, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        return false;
    }
    if (!workbookOpener()) {
        ShowMessage(QStringLiteral("%1 is written beside the return. No program here opens .xlsx workbooks; "
                                   "the workbook is %2")
                        .arg(QFileInfo(workbook).fileName(), QDir::toNativeSeparators(workbook)),
                    kAppTitle, MsgBoxType::Information, MsgButtons::Ok, false);
        return true;
    }
    if (ShowMessage(QStringLiteral("%1 is written beside the return. Open it now?").arg(QFileInfo(workbook).fileName()),
                    kAppTitle, MsgBoxType::Information, MsgButtons::YesNo, false)
            == 0
        && !QDesktopServices::openUrl(QUrl::fromLocalFile(workbook)))
        ShowMessage(
            QStringLiteral("The workbook could not be opened. It is %1").arg(QDir::toNativeSeparators(workbook)),
            kAppTitle, MsgBoxType::Information, MsgButtons::Ok, false);
    return true;
}
