#pragma once

#include "app/MsgBoxCodes.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The program's own message box. One shared window serves every call; the
// inputs are set before each show and the result is read after it closed.
class frmQVMsg : public QDialog
{
    Q_OBJECT
public:
    explicit frmQVMsg(QWidget *parent = nullptr);

    // The window every ShowMessage uses, created on first use.
    static frmQVMsg *shared();

    void setMsgCaption(const QString &caption) { m_caption = caption; }
    void setMsgText(const QString &text) { m_text = text; }
    void setMsgButtons(MsgButtons style) { m_buttons = style; }
    // With MsgButtons::YesNo, "&No" comes first in the tab order and so has the focus.
    void setDefautNeg(bool defaultNegative) { m_defaultNegative = defaultNegative; }
    // Critical shows the critical picture whatever the buttons chose.
    void setMsgBoxType(MsgBoxType type) { m_boxType = type; }
    // 0 when the left button closed the window, 1 for every other way.
    int msgResult() const { return m_result; }

    QFrame *gpbMain;
    QFrame *Shape1;
    QFrame *Shape2;
    QLabel *img;
    QLabel *lblMsgCaption;
    QLabel *lblMsg;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void load();
    void showPicture(const QString &name);

    QString m_caption;
    QString m_text;
    MsgButtons m_buttons = MsgButtons::Ok;
    bool m_defaultNegative = false;
    MsgBoxType m_boxType = MsgBoxType::Critical;
    int m_result = 1;
};

// Fills the shared window, shows it modally over the middle of the main
// window and returns its result. Ampersands show as themselves.
int ShowQVMsg(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
              bool defaultNegative);
