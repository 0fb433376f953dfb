#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "tariff/TariffImport.h"
#include "tariff/frmSelectFile.h"
#include "tariff/frmTariffMaster.h"

#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

namespace {
// The names a view lists below `parent` (by default what it shows).
QStringList names(const QAbstractItemView *view, const QModelIndex &parent = {})
{
    const QModelIndex at = parent.isValid() ? parent : view->rootIndex();
    QStringList names;
    for (int r = 0; r < view->model()->rowCount(at); ++r)
        names << view->model()->index(r, 0, at).data().toString();
    return names;
}

void clickFile(frmSelectFile &form, const QString &folder, const QString &name)
{
    const QModelIndex index = static_cast<QFileSystemModel *>(form.File2->model())->index(folder + '/' + name);
    QTRY_VERIFY(!form.File2->visualRect(index).isEmpty());
    sendClick(form.File2->viewport(), form.File2->visualRect(index).center());
}
} // namespace

class TariffWindowsTest : public QObject
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

        // The file list shows only 97-2003 workbooks, any letter case, also after a visit to a folder inside.
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("inside")));
        form.setDirPath(work.path() + QStringLiteral("/inside"));
        QTRY_COMPARE(names(form.File2), QStringList());
        form.setDirPath(work.path());
        QTRY_COMPARE(names(form.File2), (QStringList{"COPY.XLS", "notaworkbook.xls", "tariff.xls"}));
        QTest::qWait(200);
        QCOMPARE(names(form.File2), (QStringList{"COPY.XLS", "notaworkbook.xls", "tariff.xls"}));
        sendClick(form.CmdGenerateData);
        clickFile(form, work.path(), QStringLiteral("notaworkbook.xls")); // the reason, no sheets, the window usable
        QCOMPARE(form.LstFile->count(), 0);
        QVERIFY(form.FrmBack->isEnabled());
        clickFile(form, work.path(), QStringLiteral("tariff.xls"));
        QCOMPARE(names(form.LstFile), (QStringList{"Sheet1$", "'My Sheet$'", "Mixed$", "NoTariff$", "NoUnit$",
                                                   "'Blank numbers$'", "'O''Brien$'"}));
        sendClick(form.CmdGenerateData);
        QStringList texts = ui.texts();
        QVERIFY2(texts.value(1).contains(QStringLiteral("notaworkbook.xls: the file is not an Excel 97-2003 workbook")),
                 qPrintable(texts.value(1)));
        texts.removeAt(1);
        QCOMPARE(texts, (QStringList{"Please select the file Name", "Please select the Excel Sheet Name"}));
        QCOMPARE(ui.pleaseWaitShows, 0); // nothing imported

        const QListWidgetItem *mixed = form.LstFile->findItems(QStringLiteral("Mixed$"), Qt::MatchExactly).value(0);
        QVERIFY(mixed);
        sendClick(form.LstFile->viewport(), form.LstFile->visualItemRect(mixed).center());
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
        clickFile(form, work.path(), QStringLiteral("COPY.XLS"));
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

    // Where the window opens, what it remembers, and what it chooses for the user.
    void opensWhereTheLastWorkbookWasChosen()
    {
        TestHome home;
        QVERIFY(copyDemoInto(home));
        const QString app = QDir::cleanPath(home.app());
        for (const char *folder : {"zeta", "alpha", "Beta"})
            QVERIFY(QDir(app).mkdir(QLatin1String(folder)));
        QVERIFY(QFile::copy(app + "/Tariff.xls", app + "/zeta/Tariff.xls"));
        UserSettings().remove(QStringLiteral("TariffImport/LastFolder"));
        SheetName().clear();
        RecordingUserInterface rec;
        InstallUserInterface(&rec);

        QPointer<frmSelectFile> form = new frmSelectFile;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // The first time in the application folder, its folders by name.
        QCOMPARE(form->dirPath(), app);
        // The folders arrive, and are sorted, while this waits.
        QTRY_COMPARE(names(form->Dir2, form->Dir2->currentIndex()).join(' '),
                     QStringLiteral("001 002 alpha Beta Data zeta"));

        // The only sheet of a workbook is chosen with it; another folder clears the name.
        clickFile(*form, app, QStringLiteral("Tariff.xls"));
        QCOMPARE(form->TxtFileName->text(), QStringLiteral("Tariff.xls"));
        QCOMPARE(form->LstFile->currentRow(), 0);
        QCOMPARE(SheetName(), QStringLiteral("Tariff$"));
        form->setDirPath(app + QStringLiteral("/zeta"));
        QCOMPARE(form->TxtFileName->text(), QString());
        clickFile(*form, app + QStringLiteral("/zeta"), QStringLiteral("Tariff.xls"));
        QCOMPARE(form->TxtFileName->text(), QStringLiteral("Tariff.xls"));

        // Tab reaches the lists before Update and Close; the file name takes no Tab stop; Esc closes the window.
        FOCUS(form->Drive2);
        QStringList order;
        for (int i = 0; i < 7; ++i) {
            sendKey(form, Qt::Key_Tab);
            order << focusName();
        }
        QCOMPARE(order.join(' '), QStringLiteral("Dir2 File2 LstFile CmdGenerateData CmdClose CmdExit Drive2"));
        sendKey(form, Qt::Key_Escape);
        QTRY_VERIFY(!form);

        // Opened again (as in a later run), where the workbook was chosen.
        frmSelectFile again;
        QCOMPARE(again.dirPath(), app + QStringLiteral("/zeta"));
        InstallUserInterface(nullptr);
    }
    // The master of the demo company with one number its quarter uses taken out:
    // that number first, then the master; typing in the filter narrows it.
    void showsTheMasterAndWhatItLacks()
    {
        DemoDesktop demo;
        QString error;
        QVERIFY2(demo.open(&error), qPrintable(error));
        RecordingUserInterface &rec = demo.rec;
        QVERIFY(QSqlQuery(QSqlDatabase::database(Settings().cnProgram))
                    .exec(QStringLiteral("DELETE FROM Import WHERE TariffNo = '74082100'")));

        auto main = std::make_unique<MDIForm1>();
        main->resize(1200, 800);
        SHOW_ACTIVE(main.get());
        main->findChild<QAction *>(QStringLiteral("mnuViewMaster"))->trigger();
        auto *w = qobject_cast<frmTariffMaster *>(main->workingWindow(QStringLiteral("mnuViewMaster")));
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->grdMaster->rowCount(), 1 + 15);
        QCOMPARE(w->grdMaster->item(0, 0)->text(), QStringLiteral("74082100"));
        QCOMPARE(w->grdMaster->item(0, 1)->text(), QStringLiteral("(not in the master)"));
        QCOMPARE(w->lblCount->text(), QStringLiteral("15 tariff numbers"));

        QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {},
                          w->txtFilter->mapTo(main.get(), w->txtFilter->rect().center()));
        QTRY_VERIFY(w->txtFilter->hasFocus());
        for (const char c : {'7', '3', '1', '8'})
            QTest::keyClick(main->windowHandle(), c);
        QCOMPARE(w->txtFilter->text(), QStringLiteral("7318"));
        QCOMPARE(w->grdMaster->rowCount(), 1);
        QCOMPARE(w->grdMaster->item(0, 0)->text(), QStringLiteral("73181500"));
        QCOMPARE(w->lblCount->text(), QStringLiteral("1 of 15 tariff numbers"));
        QVERIFY(rec.messages.isEmpty());
    }
};

QV_REGISTER_TEST(TariffWindowsTest)
#include "frmSelectFile_test.moc"
