#include "WorkingWindows.h"

#include "context/MDIForm1.h"
#include "context/frmDataCheck.h"
#include "reports/frmQuarterSummary.h"
#include "reports/frmReturns.h"
#include "returns/frmExportToXML.h"
#include "tariff/frmSelectFile.h"
#include "tariff/frmTariffMaster.h"

void RegisterWorkingWindows()
{
    MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), [] { return new frmSelectFile; });
    MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), [] { return new frmExportToXML; });
    MDIForm1::setWindowFactory(QStringLiteral("mnuDataCheck"), [] { return new frmDataCheck; });
    MDIForm1::setWindowFactory(QStringLiteral("mnuQuarterSummary"), [] { return new frmQuarterSummary; });
    MDIForm1::setWindowFactory(QStringLiteral("mnuReturns"), [] { return new frmReturns; });
    MDIForm1::setWindowFactory(QStringLiteral("mnuViewMaster"), [] { return new frmTariffMaster; });
}
