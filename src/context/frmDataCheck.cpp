#include "frmDataCheck.h"

#include "ui/GuiTwips.h"

#include <QTableWidget>
#include <QVBoxLayout>

frmDataCheck::frmDataCheck(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmDataCheck"));
    setWindowTitle(QStringLiteral("Data Check"));
    resize(TwipsRect(0, 0, 10500, 6000).size());

    flx = new QTableWidget(this);
    flx->setObjectName(QStringLiteral("flx"));
    MSFlexGrid1 = new QTableWidget(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    for (QTableWidget *grid : {flx, MSFlexGrid1})
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(flx);
    layout->addWidget(MSFlexGrid1);
}
