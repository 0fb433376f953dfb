#include "HelpWindows.h"

#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "returns/ExportCommand.h"
#include "ui/Twips.h"
#include "ui/WindowKit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

QTextBrowser *ShowManual(const QString &section)
{
    static QPointer<QTextBrowser> manual;
    if (!manual) {
        manual = Named(new QTextBrowser, "frmManual");
        manual->setAttribute(Qt::WA_DeleteOnClose);
        manual->setWindowTitle(QStringLiteral("Quorvant Manual"));
        manual->setOpenExternalLinks(true);
        manual->resize(TwipsRect(0, 0, 10000, 9000).size());
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), manual);
        QObject::connect(escape, &QShortcut::activated, manual, &QWidget::close);
        const QString path = InstalledDataPath(QStringLiteral("manual.html"));
        if (path.isEmpty())
            manual->setPlainText(QStringLiteral("The manual (manual.html) is not installed beside the program."));
        else
            manual->setSource(QUrl::fromLocalFile(path));
    }
    if (!section.isEmpty() && !manual->source().isEmpty())
        manual->scrollToAnchor(section);
    manual->show();
    manual->raise();
    manual->activateWindow();
    return manual;
}

QString AboutText()
{
    const auto line = [](const QString &what, const QString &path) {
        return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
            .arg(what, QDir::toNativeSeparators(path).toHtmlEscaped());
    };
    return QStringLiteral("<h3>Quorvant %1</h3><p>The dealer's quarterly excise return, written and validated.</p>"
                          "<table>%2%3%4%5%6</table><p>Copyright 2026 Quorvant developers. Supplied under the terms "
                          "of the user's licence agreement; all other rights reserved.</p>")
        .arg(QCoreApplication::applicationVersion(), line(QStringLiteral("Application folder:"), AppFolder()),
             line(QStringLiteral("Settings file:"), UserSettings().fileName()),
             line(QStringLiteral("Schema:"), ReturnSchemaPath()),
             line(QStringLiteral("Error log:"), JoinPath(AppFolder(), QStringLiteral("Errors.log"))),
             line(QStringLiteral("Program:"), QCoreApplication::applicationFilePath()));
}

void ShowAbout(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Quorvant"), AboutText(), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("frmAbout"));
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}
