#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ucDate;

// The login window. It grants entry to anyone: OK lets start-up go on and
// puts the user id on the status bar; Cancel ends the program.
class frmSplash : public QDialog
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    ::ucDate *ucDate;
    QComboBox *CmbUserId;
    QLineEdit *TxtPassWord;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;
    QLabel *LblUpdatedOn;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Tab order, filters and signals, once the controls are placed.
    void wireControls();
    void okClicked();
    void cancelClicked();
};
