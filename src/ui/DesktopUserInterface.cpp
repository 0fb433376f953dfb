#include "DesktopUserInterface.h"

#include "ui/WindowKit.h"
#include "ui/frmPleaseWait.h"
#include "ui/frmQVMsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcutEvent>

#include <algorithm>
#include <iterator>

namespace {
bool isEscape(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    case QEvent::Shortcut:
        return static_cast<QShortcutEvent *>(event)->key() == QKeySequence(Qt::Key_Escape);
    default:
        return false;
    }
}

// While the work lets events run, the user's input elsewhere would start a
// second run inside the first or close its window: it is dropped, and Esc
// anywhere asks to cancel. Input from the window system reaches the top-level
// QWindow first and is passed on from there to the widget under the mouse or
// with the focus; the guard decides at that widget.
class RunInputGuard : public QObject
{
public:
    explicit RunInputGuard(QWidget *indicator)
        : m_indicator(indicator)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (isEscape(event)) {
            RequestCancel();
            event->accept(); // an Esc shortcut of the work's window (it would close it) is not looked for
            return true;
        }
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept(); // taken as typed text: no shortcut or accelerator runs
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
            return true;
        case QEvent::Wheel:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ContextMenu:
            return !watched->isWindowType() && !inIndicator(watched);
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    bool inIndicator(QObject *watched) const
    {
        const QWidget *w = qobject_cast<const QWidget *>(watched);
        return w && m_indicator && (w == m_indicator || m_indicator->isAncestorOf(w));
    }

    QWidget *m_indicator;
};
} // namespace

int DesktopUserInterface::showMessage(const QString &text, const QString &title, MsgBoxType boxType,
                                      MsgButtons buttonStyle, bool defaultNegative)
{
    return ShowQVMsg(text, title, boxType, buttonStyle, defaultNegative);
}

StdResult DesktopUserInterface::standardMessage(const QString &text, const QString &title, StdIcon icon,
                                                StdButtons buttons, StdResult defaultButton)
{
    // Indexed by the seam's enums, in their order.
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Question,
                                              QMessageBox::Warning, QMessageBox::Critical};
    static const QMessageBox::StandardButtons buttonSets[] = {QMessageBox::Ok, QMessageBox::Ok | QMessageBox::Cancel,
                                                              QMessageBox::Retry | QMessageBox::Cancel,
                                                              QMessageBox::Yes | QMessageBox::No};
    static const QMessageBox::StandardButton results[] = {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Retry,
                                                          QMessageBox::Yes, QMessageBox::No};
    const QMessageBox::StandardButtons qbuttons = buttonSets[int(buttons)];
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icons[int(icon)], title, shown, qbuttons, QApplication::activeWindow());
    box.setDefaultButton(results[int(defaultButton)]);
    const auto clicked = std::find(std::begin(results), std::end(results), box.exec());
    if (clicked != std::end(results))
        return StdResult(clicked - std::begin(results));
    // Closed without a button: as Ok where there is one, otherwise as Cancel.
    return qbuttons.testFlag(QMessageBox::Ok) ? StdResult::Ok : StdResult::Cancel;
}

void DesktopUserInterface::showPleaseWait()
{
    // A new run: a Cancel pressed for an earlier one does not stop it.
    if (!frmPleaseWait::isShown())
        ClearCancel();
    ShowPleaseWaitWindow();
}

void DesktopUserInterface::showProgress(const ProgressState &state)
{
    if (!frmPleaseWait::isShown())
        return; // the run already said why it ends
    frmPleaseWait *w = frmPleaseWait::shared();
    w->setProgress(state);
    RunInputGuard guard(w);
    qApp->installEventFilter(&guard);
    QApplication::processEvents();
    qApp->removeEventFilter(&guard);
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

QString DesktopUserInterface::chooseFolderOrDemo(const QString &question, const QString &start, bool *demo)
{
    *demo = false;
    // Qt's own chooser, as the platform's has no room for a button of ours.
    QFileDialog chooser(QApplication::activeWindow(), question, start);
    chooser.setObjectName(QStringLiteral("dlgChooseAppFolder"));
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    auto *tryDemo = Named(new QPushButton(QStringLiteral("Try the &demo company"), &chooser), "cmdTryDemo");
    tryDemo->setAutoDefault(false);
    QObject::connect(tryDemo, &QPushButton::clicked, &chooser, [&chooser, demo] {
        *demo = true;
        chooser.reject();
    });
    if (auto *grid = qobject_cast<QGridLayout *>(chooser.layout()))
        grid->addWidget(tryDemo, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignLeft);
    else
        chooser.layout()->addWidget(tryDemo);
    if (chooser.exec() != QDialog::Accepted || *demo)
        return QString();
    return chooser.selectedFiles().value(0);
}
