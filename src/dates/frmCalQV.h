#pragma once

#include <QDialog>
#include <QTableWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The calendar's grid. Every move of the current cell, by mouse or keys, is
// handed to moveRequested first, which makes the move or refuses it.
class CalendarGrid : public QTableWidget
{
public:
    using QTableWidget::QTableWidget;

    std::function<void(int row, int column)> moveRequested;
    std::function<void()> acceptRequested; // double click, Enter

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// The calendar pop-up of the date control: one month, Monday first, with week
// numbers. One window for the whole run; what it holds survives between showings.
class frmCalQV : public QDialog
{
    Q_OBJECT

public:
    static frmCalQV *instance();

    // The selected date as "DD/MM/YYYY"; empty until a day has been selected.
    QString SelDate() const { return m_sSelDate; }
    // Shows the month of a valid date text with that day selected; anything else is ignored.
    void setSelDate(const QString &date);
    // True when the last showing ended with a pick.
    bool OkClicked() const { return m_bOkClicked; }

    int shownMonth() const { return m_iMonth; }
    int shownYear() const { return m_lYear; }

    QComboBox *cmbMonth;
    QLineEdit *txtYear;
    QPushButton *cmdUp;
    QPushButton *cmdDown;
    QPushButton *cmdClose;
    CalendarGrid *flx;
    QLabel *lblDate;
    QPushButton *cmdToday;

public slots:
    void reject() override; // Close, Esc, or the window closed any other way

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmCalQV(QWidget *parent = nullptr);

    void load();
    void InitGrid();
    void FillMonth();
    void SetMonthBox(int month);
    void SetYearBox(int year);
    void ShowDate(const QString &date);
    void NextYear();
    void PreviousYear();
    void moveToCell(int row, int column);
    void acceptPick();
    void onMonthSelected(int index);
    void onYearChanged(const QString &text);
    bool mayLeaveYearBox();

    QString m_sSelDate;
    bool m_bOkClicked = false;
    bool m_bLoading = false;
    bool m_loaded = false;
    int m_iDay = 0;
    int m_iMonth = 0;
    int m_lYear = 0;
    // The month the grid's numbers belong to, which the year box can run ahead of.
    int m_gridMonth = 0;
    int m_gridYear = 0;
};
