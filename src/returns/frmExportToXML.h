#pragma once

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ucDate;

// The return window: year, quarter, the dealer's registration number and the
// self-assessment date, place and remarks; "Create & Validate XML File " runs
// the export command and shows the path of the file it writes.
class frmExportToXML : public QWidget
{
    Q_OBJECT

public:
    explicit frmExportToXML(QWidget *parent = nullptr);

    static constexpr int kRemarksLength = 200;

    // Entries typed since the window opened or last wrote a return.
    bool HoldsTypedText() const;

    QFrame *Frame1;
    QLabel *LblCaption;
    QLabel *Label8;
    QPushButton *CmdExit;
    QFrame *Fm;
    QLabel *lblYear;
    QComboBox *CmbYear;
    QLabel *lblQuarter;
    QComboBox *CmbMonth;
    QLabel *lblRegisterNo;
    QLineEdit *txtRegisterNo;
    QLabel *lblDate;
    ucDate *ucDt;
    QLabel *lblPlace;
    QLineEdit *txtPlace;
    QLabel *lblRemarks;
    QPlainTextEdit *txtRemarks;
    QLabel *lblFileName;
    QLineEdit *TxtFileName;
    QFrame *Frame2 = nullptr;
    QPushButton *CmdExport;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Tab order, filters and signals, once the controls are placed.
    void wireControls();
    void Form_Load();
    void CmdExport_Click();
    void CmdExit_Click();
    void limitRemarks();
    // The fields follow the panel: centred across it, widths growing with it
    // (ArrangeForm widens the panel on a larger screen).
    void placeFields();
    QStringList entries() const;

    QWidget *m_fields = nullptr;
    QStringList m_written; // the entries as loaded or as the last written return took them
    int m_designPanelWidth = 0;
    bool m_exporting = false;
};
