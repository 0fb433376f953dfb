#pragma once

#include <QWidget>

class QTableWidget;

// The data check window: two grids, empty for now.
class frmDataCheck : public QWidget
{
    Q_OBJECT
public:
    explicit frmDataCheck(QWidget *parent = nullptr);

    QTableWidget *flx;
    QTableWidget *MSFlexGrid1;
};
