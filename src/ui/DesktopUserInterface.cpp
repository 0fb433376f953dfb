#include "DesktopUserInterface.h"

#include "ui/frmPleaseWait.h"
#include "ui/frmQVMsg.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

int DesktopUserInterface::showMessage(const QString &text, const QString &title, int boxType, int buttonStyle,
                                      bool defaultNegative)
{
    return ShowQVMsg(text, title, boxType, buttonStyle, defaultNegative);
}

StdResult DesktopUserInterface::standardMessage(const QString &text, const QString &title, StdIcon icon,
                                                StdButtons buttons, StdResult defaultButton)
{
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case StdIcon::None:
        qicon = QMessageBox::NoIcon;
        break;
    case StdIcon::Information:
        qicon = QMessageBox::Information;
        break;
    case StdIcon::Question:
        qicon = QMessageBox::Question;
        break;
    case StdIcon::Exclamation:
        qicon = QMessageBox::Warning;
        break;
    case StdIcon::Critical:
        qicon = QMessageBox::Critical;
        break;
    }
    QMessageBox::StandardButtons qbuttons = QMessageBox::Ok;
    switch (buttons) {
    case StdButtons::Ok:
        qbuttons = QMessageBox::Ok;
        break;
    case StdButtons::OkCancel:
        qbuttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case StdButtons::RetryCancel:
        qbuttons = QMessageBox::Retry | QMessageBox::Cancel;
        break;
    case StdButtons::YesNo:
        qbuttons = QMessageBox::Yes | QMessageBox::No;
        break;
    }
    auto toQt = [](StdResult r) {
        switch (r) {
        case StdResult::Ok:
            return QMessageBox::Ok;
        case StdResult::Cancel:
            return QMessageBox::Cancel;
        case StdResult::Retry:
            return QMessageBox::Retry;
        case StdResult::Yes:
            return QMessageBox::Yes;
        case StdResult::No:
            return QMessageBox::No;
        }
        return QMessageBox::Ok;
    };
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(qicon, title, shown, qbuttons, QApplication::activeWindow());
    box.setDefaultButton(toQt(defaultButton));
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return StdResult::Cancel;
    case QMessageBox::Retry:
        return StdResult::Retry;
    case QMessageBox::Yes:
        return StdResult::Yes;
    case QMessageBox::No:
        return StdResult::No;
    default:
        return (buttons == StdButtons::Ok) ? StdResult::Ok
                                           : (qbuttons.testFlag(QMessageBox::Ok) ? StdResult::Ok : StdResult::Cancel);
    }
}

void DesktopUserInterface::showPleaseWait()
{
    ShowPleaseWaitWindow();
}

void DesktopUserInterface::hidePleaseWait()
{
    HidePleaseWaitWindow();
}

void DesktopUserInterface::processEvents()
{
    QApplication::processEvents();
}

void DesktopUserInterface::restoreCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

QString DesktopUserInterface::chooseFolder(const QString &question, const QString &start)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), question, start);
}
