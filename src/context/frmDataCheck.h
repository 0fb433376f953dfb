#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;
struct DataCheckResult;

// The data check window: the problems the return would meet in the quarter's
// work tables, invoice lines (STEMP4) in `flx`, supplier documents (PTEMP5)
// in `MSFlexGrid1`, one row per problem, in the user's words; warnings of both apart. While a return
// window is open, rows dated outside its quarter are listed too. It only reads.
class frmDataCheck : public QWidget
{
    Q_OBJECT
public:
    explicit frmDataCheck(QWidget *parent = nullptr);

    // Checks the tables again and fills the grids.
    void Refresh();

    QLabel *lblStatus;
    QPushButton *cmdRefresh;
    QLabel *lblInvoiceLines;
    QTableWidget *flx;
    QLabel *lblSupplierDocuments;
    QTableWidget *MSFlexGrid1;
    QLabel *lblWarnings; // warnings of both tables, in `grdWarnings`
    QTableWidget *grdWarnings;

private:
    void fill(const DataCheckResult &result);
};
