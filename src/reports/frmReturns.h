#pragma once

#include "PastReturns.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The chosen company's returns as PastReturns reads them, newest first, the
// rejected files in a list of their own; from the list the folder opens, a
// return is validated again, written as a workbook or compared with another
// of its quarter.
class frmReturns : public QWidget
{
    Q_OBJECT
public:
    explicit frmReturns(QWidget *parent = nullptr);

    // Reads the folder again.
    void Refresh();

    QLabel *lblStatus;
    QTableWidget *grdReturns;
    QLabel *lblRejected;
    QTableWidget *grdRejected;
    QPushButton *cmdRefresh;
    QPushButton *cmdOpenFolder;
    QPushButton *cmdValidate;
    QPushButton *cmdWorkbook;
    QPushButton *cmdCompare;
    // The last comparison, shown in a window of its own.
    QPlainTextEdit *txtComparison = nullptr;

private:
    void fill();
    void validateAgain();
    void writeWorkbook();
    void compare();
    // The selected rows of the returns list, top first.
    QList<int> selectedRows() const;

    PastReturnList m_list;
};
