#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "tariff/TariffImport.h"
#include "tariff/frmSelectFile.h"

#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

namespace {
QStringList names(const QAbstractItemView *view)
{
    QStringList names;
    for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
        names << view->model()->index(r, 0, view->rootIndex()).data().toString();
    return names;
}

} // namespace

class frmSelectFileTest : public QObject
{
    Q_OBJECT

private slots:
    // Update refuses without a file, then without a sheet; with both it
    // imports, the counts showing while the success message is up.
    void updateChecksThenImports()
    {
        TestHome home;
        QTemporaryDir work;
        RecordingUserInterface ui;
        const QString oldCurrent = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            InstallUserInterface(nullptr);
            QDir::setCurrent(oldCurrent);
            CloseConnection(Settings().cnProgram);
        });
        QString error;
        QVERIFY2(OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        for (const auto &[from, to] : {std::pair{"tariff.xls", "tariff.xls"},
                                       {"notaworkbook.xls", "notaworkbook.xls"},
                                       {"tariff.xls", "COPY.XLS"},
                                       {"tariff.xls", "tariff.xlsx"}})
            QVERIFY(QFile::copy(fixturePath(QStringLiteral("tariff/") + from), QDir(work.path()).filePath(to)));
        QDir::setCurrent(work.path());
        SheetName().clear();
        InstallUserInterface(&ui);
        frmSelectFile form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto clickFile = [&](const QString &name) {
            const QModelIndex index =
                static_cast<QFileSystemModel *>(form.File2->model())->index(QDir(work.path()).filePath(name));
            QTRY_VERIFY(!form.File2->visualRect(index).isEmpty());
            QTest::mouseClick(form.File2->viewport(), Qt::LeftButton, {}, form.File2->visualRect(index).center());
        };

        // The file list shows only 97-2003 workbooks, any letter case, also after a visit to a folder inside.
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("inside")));
        form.setDirPath(work.path() + QStringLiteral("/inside"));
        QTRY_COMPARE(names(form.File2), QStringList());
        form.setDirPath(work.path());
        QTRY_COMPARE(names(form.File2), (QStringList{"COPY.XLS", "notaworkbook.xls", "tariff.xls"}));
        QTest::qWait(200);
        QCOMPARE(names(form.File2), (QStringList{"COPY.XLS", "notaworkbook.xls", "tariff.xls"}));
        QTest::mouseClick(form.CmdGenerateData, Qt::LeftButton);
        clickFile(QStringLiteral("notaworkbook.xls")); // the reason, no sheets, the window usable
        QCOMPARE(form.LstFile->count(), 0);
        QVERIFY(form.FrmBack->isEnabled());
        clickFile(QStringLiteral("tariff.xls"));
        QCOMPARE(names(form.LstFile), (QStringList{"Sheet1$", "'My Sheet$'", "Mixed$", "NoTariff$", "NoUnit$",
                                                   "'Blank numbers$'", "'O''Brien$'"}));
        QTest::mouseClick(form.CmdGenerateData, Qt::LeftButton);
        QStringList texts = ui.texts();
        QVERIFY2(texts.value(1).contains(QStringLiteral("notaworkbook.xls: the file is not an Excel 97-2003 workbook")),
                 qPrintable(texts.value(1)));
        texts.removeAt(1);
        QCOMPARE(texts, (QStringList{"Please select the file Name", "Please select the Excel Sheet Name"}));
        QCOMPARE(ui.pleaseWaitShows, 0); // nothing imported

        const QListWidgetItem *mixed = form.LstFile->findItems(QStringLiteral("Mixed$"), Qt::MatchExactly).value(0);
        QVERIFY(mixed);
        QTest::mouseClick(form.LstFile->viewport(), Qt::LeftButton, {}, form.LstFile->visualItemRect(mixed).center());
        ui.clear();
        QStringList seen;
        ui.onMessage = [&](const QString &text) {
            seen << QStringLiteral("%1/%2/%3/%4")
                        .arg(form.LblTemps->text(), form.LblRecord->text(), text)
                        .arg(ui.pleaseWaitVisible);
        };
        // Asked first, No the default: No leaves the master; Yes imports.
        const QString question = QStringLiteral("7//Replace the tariff master (%1) with 5 rows from tariff.xls, "
                                                "sheet Mixed$?/0");
        ui.answers = {1};
        sendClick(form.CmdGenerateData);
        QCOMPARE(seen, QStringList{question.arg("0 tariff numbers")});
        QVERIFY(ui.messages.last().defaultNegative);
        seen.clear();
        sendClick(form.CmdGenerateData);
        QCOMPARE(seen, (QStringList{question.arg("0 tariff numbers"), "7/5/Imported Successfully/1"}));
        QCOMPARE(form.LblTemps->text() + form.LblRecord->text(), QString());
        QVERIFY(!ui.pleaseWaitVisible);

        // The sheet chosen in the last workbook is no choice in another one.
        clickFile(QStringLiteral("COPY.XLS"));
        ui.clear();
        sendClick(form.CmdGenerateData);
        QCOMPARE(ui.texts(), QStringList{"Please select the Excel Sheet Name"});
    }

    void openedFromTheMenu_data()
    {
        QTest::addColumn<QSize>("mainWindow");
        QTest::newRow("800 by 600") << QSize(800, 600);
        QTest::newRow("1280 by 1024") << QSize(1280, 1024);
        QTest::newRow("wide and low") << QSize(1600, 700);
    }
    // Fitted into the main window, the window shows its buttons without
    // scrolling, and its title strip its picture before the title.
    void openedFromTheMenu()
    {
        QFETCH(QSize, mainWindow);
        MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), [] { return new frmSelectFile; });
        const auto restore = qScopeGuard([] { MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), {}); });
        MDIForm1 main;
        main.resize(mainWindow);
        SHOW_ACTIVE(&main);
        main.mnuExcelImport->trigger();
        auto *form = qobject_cast<frmSelectFile *>(main.workingWindow(QStringLiteral("mnuExcelImport")));
        QVERIFY(form && form->isVisible());

        const QWidget *client = main.mdiClient->viewport();
        for (const QWidget *button : {form->CmdGenerateData, form->CmdClose, form->CmdExit})
            QCOMPARE(client->rect().united(QRect(button->mapTo(client, QPoint(0, 0)), button->size())), client->rect());
        QVERIFY(!form->Image1->pixmap().isNull());
        QVERIFY(form->Frame1->rect().contains(form->Image1->geometry()));
        QCOMPARE_LT(form->Image1->geometry().right(), form->lbl->geometry().left());
    }
};

QV_REGISTER_TEST(frmSelectFileTest)
#include "frmSelectFile_test.moc"
