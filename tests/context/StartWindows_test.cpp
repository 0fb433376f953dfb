#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/ProgramMain.h"
#include "app/Startup.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"
#include "context/MDIForm1.h"
#include "context/frmCompDef.h"
#include "context/frmDataCheck.h"
#include "context/frmSplash.h"
#include "dates/ucDate.h"
#include "ui/EndProgram.h"
#include "ui/DesktopUserInterface.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <memory>

// The main window, the login and the company selection.
class StartWindowsTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    int endings = 0;
    std::unique_ptr<TestHome> home;
    MDIForm1 *main = nullptr;
    std::unique_ptr<frmCompDef> company;

    // The demo application folder, with the company fixtures (codes 7, 8 and 9) laid over it when asked.
    void demoFolder(bool withFixtures)
    {
        home = std::make_unique<TestHome>();
        QVERIFY(copyDemoInto(*home));
        const QString fixtures = fixturePath(QStringLiteral("context"));
        QDirIterator it(fixtures, QDir::Files, QDirIterator::Subdirectories);
        while (withFixtures && it.hasNext()) {
            const QString target = home->app() + it.next().mid(fixtures.size());
            QFile::remove(target);
            QVERIFY(QDir().mkpath(QFileInfo(target).path()) && QFile::copy(it.filePath(), target));
        }
    }

    void showMain() { (main = new MDIForm1)->show(); }

    // The company selection over the main window, on the demo folder.
    void showCompanies(bool withFixtures)
    {
        demoFolder(withFixtures);
        StartupFailure failure;
        QVERIFY2(OpenStartupConnections(&failure), qPrintable(failure.description));
        showMain();
        company = std::make_unique<frmCompDef>(main);
        company->show();
        QVERIFY(QTest::qWaitForWindowActive(company.get()));
    }

    // Picks a company as a user does, with the arrow keys in the list.
    void pick(int index)
    {
        company->DCCompany->setFocus();
        if (company->DCCompany->currentIndex() > index)
            QTest::keyClick(company->DCCompany, Qt::Key_Home);
        while (company->DCCompany->currentIndex() < index)
            QTest::keyClick(company->DCCompany, Qt::Key_Down);
    }

private slots:
    void init()
    {
        rec.clear();
        InstallUserInterface(&rec);
        endings = 0;
        SetEndProgramHandler([this] { ++endings; });
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    }
    void cleanup()
    {
        company.reset();
        delete MDIForm1::instance();
        MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), {});
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), {}); // Main wires it
        closeAllConnections();
        home.reset();
        SetEndProgramHandler({});
        InstallUserInterface(nullptr);
        FixedClock::reset();
        ClearStoredShortDateFormat();
        ResetSettings();
    }

    void statusBar()
    {
        FixedClock::set(QDateTime(QDate(2014, 7, 3), QTime(9, 5, 7)));
        showMain();
        QCOMPARE(main->panelText(2), QStringLiteral("03/07/2014"));
        // The panels add up to more than a small screen; they must not widen the window.
        QVERIFY(main->minimumSizeHint().width() < 800);
        // The clock panels follow time on their own.
        FixedClock::set(QDateTime(QDate(2014, 7, 4), QTime(0, 0, 1)));
        QTRY_COMPARE_WITH_TIMEOUT(main->panelText(2), QStringLiteral("04/07/2014"), 2500);
    }

    void workingWindowsOpenOnce()
    {
        showMain();
        int made = 0;
        MDIForm1::setWindowFactory(QStringLiteral("mnuExcelImport"), [&made] {
            ++made;
            return new QWidget;
        });
        main->mnuExcelImport->trigger();
        main->mnuExcelImport->trigger();
        QCOMPARE(made, 1);
        QCOMPARE(main->mdiClient->subWindowList().size(), 1);
        // Closed, it is made anew on the next choice.
        main->mdiClient->subWindowList().first()->close();
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuExcelImport")));
        main->mnuExcelImport->trigger();
        QCOMPARE(made, 2);
        // An entry nobody wired opens nothing; Data Check is wired from the start.
        main->mnuExporttoXML->trigger();
        QVERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        main->mnuDataCheck->trigger();
        QVERIFY(qobject_cast<frmDataCheck *>(main->workingWindow(QStringLiteral("mnuDataCheck"))));
    }

    void exitConfirmations_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        for (const char *how :
             {"E&xit", "closing the main window", "Close in the company selection", "closing the company selection"}) {
            QTest::addRow("%s, No", how) << how << 1;
            QTest::addRow("%s, Yes", how) << how << 0;
        }
    }
    void exitConfirmations()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        showCompanies(false);
        main->mnuDataCheck->trigger();
        rec.answers = {answer};
        if (how == QLatin1String("E&xit"))
            main->mnuExit->trigger();
        else if (how == QLatin1String("closing the main window"))
            main->close();
        else if (how.startsWith(QLatin1String("closing")))
            company->close(); // what the window manager's close box asks for
        else
            QTest::mouseClick(company->cmdClose, Qt::LeftButton);
        // One question, whose Enter answers No; Yes ends without asking again.
        QCOMPARE(rec.messages.size(), 1);
        QCOMPARE(rec.messages[0].text, kExitQuestion);
        QVERIFY(rec.messages[0].defaultNegative);
        QCOMPARE(endings, answer == 0 ? 1 : 0);
        QWidget *asked = how.contains(QLatin1String("company")) ? static_cast<QWidget *>(company.get()) : main;
        QCOMPARE(asked->isVisible(), answer != 0);
        if (answer != 0)
            QCOMPARE(main->mdiClient->subWindowList().size(), 1); // everything as it was
    }

    void badChoicesKeepTheSelectionOpen_data()
    {
        QTest::addColumn<int>("index"); // -1: nothing picked
        QTest::addColumn<int>("periods");
        QTest::addColumn<QString>("message"); // the last one shown
        QTest::newRow("nothing picked") << -1 << 2 << "Please select the Company"; // and nothing logged
        QTest::newRow("period folder missing") << 1 << 2 << "13041403";
        QTest::newRow("company folder missing") << 3 << 0 << "no accounting period";
        QTest::newRow("company without periods") << 4 << 0 << "no accounting period";
    }
    void badChoicesKeepTheSelectionOpen()
    {
        QFETCH(int, index);
        QFETCH(QString, message);
        showCompanies(true);
        QVERIFY(QDir(home->app() + QStringLiteral("/002/13041403")).removeRecursively());
        pick(0); // a good company first, so a failing pick cannot leave its periods behind
        if (index >= 0)
            pick(index);
        else
            company->DCCompany->setCurrentIndex(-1);
        QTEST(company->flx->rowCount(), "periods");
        QTest::mouseClick(company->cmdSelect, Qt::LeftButton);
        QVERIFY(company->isVisible());
        QVERIFY2(!rec.messages.isEmpty() && rec.messages.last().text.contains(message),
                 qPrintable(rec.texts().join('|')));
        if (index < 0)
            QCOMPARE(rec.messages.size(), 1);
        QVERIFY(Settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home->app() + QStringLiteral("/ACES")).exists());
        QCOMPARE(main->windowTitle(), QStringLiteral("Quorvant"));
        // Still usable: a good company goes through, by keys: Enter on to the
        // grid, a period chosen there with the arrows and Enter.
        pick(0);
        const qsizetype shown = rec.messages.size();
        QTest::keyClick(company->DCCompany, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), company->flx);
        QCOMPARE(company->flx->item(1, 1)->text(), QStringLiteral("From       01 Apr 2014       To       31 Mar 2015"));
        QTest::keyClick(company->flx, Qt::Key_Down);
        QTest::keyClick(company->flx, Qt::Key_Return);
        QVERIFY(!company->isVisible());
        QCOMPARE(company->result(), int(QDialog::Accepted));
        QCOMPARE(main->windowTitle(), QStringLiteral("A & B TRADERS [ 001 ] [ 01/04/2014 -- 31/03/2015 ]"));
        QVERIFY(ConnectionIsOpen(Settings().cnCompanyPeriod));
        QCOMPARE(rec.messages.size(), shown);
    }

    void unreadableCompanyListCanBeLeft()
    {
        demoFolder(false);
        StartupFailure failure;
        QVERIFY2(OpenStartupConnections(&failure), qPrintable(failure.description));
        home->writeFile(QStringLiteral("Kolvcomp.dbf"), "not a table");
        company = std::make_unique<frmCompDef>();
        QCOMPARE(company->DCCompany->count(), 0);
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY2(rec.messages[0].text.contains(QStringLiteral("Kolvcomp.dbf")), qPrintable(rec.messages[0].text));
        company->show();
        rec.answers = {0};
        QTest::mouseClick(company->cmdClose, Qt::LeftButton);
        QCOMPARE(endings, 1);
    }

    // The start as a user meets it, with the real message boxes, keys and mouse.
    void loginThenCompany_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("through to the title") << false;
        QTest::newRow("Cancel in the login ends before companies") << true;
    }
    void loginThenCompany()
    {
        QFETCH(bool, cancel);
        DesktopUserInterface ui;
        InstallUserInterface(&ui);
        FixedClock::set(QDateTime(QDate(2014, 7, 3), QTime(10, 0)));
        demoFolder(true);
        QStringList seen;
        QString date, reselected;
        onNextModal([&](QWidget *modal) {
            auto *login = qobject_cast<frmSplash *>(modal);
            seen << modal->objectName();
            if (cancel)
                return QTest::mouseClick(login->cmdCancel, Qt::LeftButton);
            date = login->ucDate->Locked() ? login->ucDate->Text() : QStringLiteral("not locked");
            QTest::keyClicks(keyTarget(modal), QStringLiteral("ACCOUNTS"));
            pressKey(modal, Qt::Key_Return); // to the password
            QTest::keyClicks(keyTarget(modal), QStringLiteral("x"));
            login->CmbUserId->setFocus();
            pressKey(modal, Qt::Key_Return); // back to the password, its text selected for typing over
            (void)QTest::qWaitFor([login] { return login->TxtPassWord->hasSelectedText(); }, 1000);
            reselected = login->TxtPassWord->selectedText();
            onNextModal([&seen](QWidget *selection) {
                seen << selection->objectName();
                QTableWidget *grid = qobject_cast<frmCompDef *>(selection)->flx;
                for (int i = 0; i < 3; ++i) // company code 7 is the third entry
                    pressKey(selection, Qt::Key_Down);
                pressKey(selection, Qt::Key_Return); // on to the period grid
                const QPoint period = grid->visualItemRect(grid->item(0, 1)).center();
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, period);
                QTest::mouseClick(qobject_cast<frmCompDef *>(selection)->cmdSelect, Qt::LeftButton);
            });
            pressKey(modal, Qt::Key_Return); // counts as OK
        });
        QCOMPARE(Main(), cancel ? 0 : -1);
        QCOMPARE(endings, cancel ? 1 : 0);
        QCOMPARE(seen, (cancel ? QStringList{QStringLiteral("frmSplash")}
                               : QStringList{QStringLiteral("frmSplash"), QStringLiteral("frmCompDef")}));
        if (cancel)
            return;
        QCOMPARE(date, QStringLiteral("03/07/2014"));
        QCOMPARE(reselected, QStringLiteral("x"));
        QVERIFY(MDIForm1::instance()->isVisible());
        QCOMPARE(MDIForm1::instance()->windowTitle(),
                 QStringLiteral("D'SOUZA STEELS [ 007 ] [ 01/04/2014 -- 31/03/2015 ]"));
        QCOMPARE(MDIForm1::instance()->panelText(1), QStringLiteral("User ID : ACCOUNTS"));
        QCOMPARE(Settings().strCompCode, QStringLiteral("007"));
        QVERIFY(QDir(home->app() + QStringLiteral("/ACES/007")).exists());
    }

    // Codes read from a company list that would lead out of the returns'
    // folder: the company cannot be chosen, with the reason.
    void codesThatCannotNameAFolder_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("holds");
        QTest::newRow("path") << QString("../../evil") << "the character /.";
        QTest::newRow("parent") << QString("..") << "\"..\".";
        QTest::newRow("Windows character") << QString("A|B") << "the character |.";
    }

    void codesThatCannotNameAFolder()
    {
        QFETCH(QString, code);
        QFETCH(QString, holds);
        const QString reason = QStringLiteral("The company code %1 cannot name a folder: it holds %2").arg(code, holds);
        TestHome home;
        QVERIFY(copyDemoInto(home) && QFile::remove(home.app() + QStringLiteral("/Kolvcomp.dbf")));
        QVERIFY(
            QFile::copy(fixturePath(QStringLiteral("context/bad-codes/Kolvcomp.dbf")), home.app() + "/Kolvcomp.dbf"));
        StartupFailure startup;
        QVERIFY2(OpenStartupConnections(&startup), qPrintable(startup.description));
        QList<CompanyEntry> companies;
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        QVERIFY(ListCompanies(&companies, &failure) && ListPeriods(QStringLiteral("001"), &periods, &failure));
        const auto bad = std::find_if(companies.cbegin(), companies.cend(),
                                      [&](const CompanyEntry &c) { return CompanyCodeText(c.code) == code; });
        QVERIFY(bad != companies.cend() && !periods.isEmpty());

        QList<PeriodEntry> none;
        QVERIFY(!ListPeriods(bad->code, &none, &failure));
        QCOMPARE(failure.description, reason);
        // Not even with another company's period at hand.
        QVERIFY(!SelectCompany(bad->code, bad->name, periods[0], &failure));
        QCOMPARE(failure.description, reason);
        QVERIFY(Settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home.app() + QStringLiteral("/ACES")).exists());
    }
};

QV_REGISTER_TEST(StartWindowsTest)
#include "StartWindows_test.moc"
