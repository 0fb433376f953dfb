#pragma once

#include "TariffMasterView.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QTableWidget;

// The tariff master, read only: tariff numbers and units with a filter and
// the count; with a company chosen, the numbers its quarter uses that the
// master lacks come first, marked.
class frmTariffMaster : public QWidget
{
    Q_OBJECT
public:
    explicit frmTariffMaster(QWidget *parent = nullptr);

    // Reads the master (and the quarter) again.
    void Refresh();

    QLabel *lblStatus;
    QLineEdit *txtFilter;
    QLabel *lblCount;
    QTableWidget *grdMaster;

private:
    void fill();

    TariffMasterView m_view;
};
