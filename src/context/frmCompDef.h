#pragma once

#include "context/CompanySelection.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;

// Company and period selection. "&Select" opens the chosen company's data,
// sets the company settings and the main window's title, and closes the
// window; a failure is logged and shown, and the window stays open. The
// company and period chosen last are offered first. Opened to change the
// company (`changing`), "&Cancel" and Esc leave the earlier choice in force.
class frmCompDef : public QDialog
{
    Q_OBJECT
public:
    explicit frmCompDef(QWidget *parent = nullptr, bool changing = false);

    QFrame *Frame1;
    QLabel *Image2;
    QLabel *Label2;
    QFrame *Frame2;
    QLabel *Label1;
    QComboBox *DCCompany;
    QTableWidget *flx;
    QFrame *Frame3;
    QPushButton *cmdSelect;
    QPushButton *cmdClose;

    // The title bar's close box and Esc ask the exit question as "&Close" does:
    // the program never goes on without a company.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadCompanies();
    void companyPicked();
    void showPeriods(const QList<PeriodEntry> &periods);
    void selectClicked();
    void closeClicked();
    // The company and period of `code` and `periodCode` chosen in the list and grid, when both are there.
    void offer(const QString &code, const QString &periodCode);

    // The periods behind the grid's rows, row for row.
    QList<PeriodEntry> m_periods;
    bool m_leaving = false; // the exit was confirmed; the window may go
    bool m_changing = false;
    bool m_failed = false; // a selection failed part-way, and may have left connections on another company
    CompanyChoice m_before;
};
