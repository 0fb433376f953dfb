#pragma once

class QWidget;

// "Export To Excel": offers the chosen company's returns, newest first,
// writes the workbook of the one chosen beside it and offers to open it.
void ExportReturnToExcel(QWidget *parent);
