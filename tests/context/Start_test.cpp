#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppFolder.h"
#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/RememberedEntries.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"
#include "context/HelpWindows.h"
#include "context/MDIForm1.h"
#include "context/Startup.h"
#include "context/frmCompDef.h"
#include "context/frmDataCheck.h"
#include "context/frmSplash.h"
#include "dates/ucDate.h"
#include "desktop/ProgramMain.h"
#include "returns/frmExportToXML.h"
#include "ui/DesktopUserInterface.h"
#include "ui/EndProgram.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionTitleBar>
#include <QTableWidget>
#include <QTextBrowser>
#include <QToolTip>

#include <memory>

// The start (data mode, program database, date setting, application folder), the main window, the login and the
// company selection, and the ways out of the windows by keys and mouse.
class StartTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    int endings = 0;
    std::unique_ptr<TestHome> home;
    MDIForm1 *main = nullptr;
    std::unique_ptr<frmCompDef> company;

    // The demo application folder with the fixtures of `overlay` laid over it (under "context": the companies
    // with codes 7, 8 and 9), and start-up's connections open when asked.
    void demoFolder(const QString &overlay, bool open = false)
    {
        home = std::make_unique<TestHome>();
        QVERIFY(copyDemoInto(*home));
        const QString fixtures = fixturePath(overlay);
        QDirIterator it(fixtures, QDir::Files, QDirIterator::Subdirectories);
        while (!overlay.isEmpty() && it.hasNext()) {
            const QString target = home->app() + it.next().mid(fixtures.size());
            QFile::remove(target);
            QVERIFY(QDir().mkpath(QFileInfo(target).path()) && QFile::copy(it.filePath(), target));
        }
        StartupFailure failure;
        QVERIFY2(!open || OpenStartupConnections(&failure), qPrintable(failure.description));
    }

    void showMain() { (main = new MDIForm1)->show(); }

    // The company selection over the main window, on the demo folder.
    void showCompanies(bool withFixtures)
    {
        demoFolder(withFixtures ? QStringLiteral("context") : QString(), true);
        showMain();
        company = std::make_unique<frmCompDef>(main);
        company->show();
        QVERIFY(QTest::qWaitForWindowActive(company.get()));
    }

    // The main window on the demo company (Apr-Jun 2014, one invoice line dated in July), its return window wired.
    void showDemoCompany()
    {
        home = std::make_unique<TestHome>();
        QString error;
        QVERIFY2(openDemoCompany(*home, &error), qPrintable(error));
        QVERIFY(QFile::copy(schemaPath(), home->app() + "/ACES_DLR.xsd"));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        showMain();
        main->resize(1000, 700);
        SHOW_ACTIVE(main);
    }
    frmExportToXML *openReturn()
    {
        main->mnuExporttoXML->trigger();
        return qobject_cast<frmExportToXML *>(main->workingWindow(QStringLiteral("mnuExporttoXML")));
    }
    // A click on the close box of a working window's title bar.
    void clickCloseBox(QMdiSubWindow *sub)
    {
        QStyleOptionTitleBar title;
        title.initFrom(sub);
        title.subControls = QStyle::SC_All;
        title.titleBarFlags = sub->windowFlags();
        title.rect = QRect(0, 0, sub->width(), sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, sub));
        sendClick(
            sub,
            sub->style()->subControlRect(QStyle::CC_TitleBar, &title, QStyle::SC_TitleBarCloseButton, sub).center());
    }

    // Picks a company as a user does, with the arrow keys in the list.
    void pick(int index)
    {
        company->DCCompany->setFocus();
        if (company->DCCompany->currentIndex() > index)
            sendKey(company->DCCompany, Qt::Key_Home);
        while (company->DCCompany->currentIndex() < index)
            sendKey(company->DCCompany, Qt::Key_Down);
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
        // The panels add up to more than a small screen; they must not widen the window, nor hide the menu.
        QVERIFY(main->minimumSizeHint().width() < 800);
        main->resize(50, 50);
        QVERIFY(main->width() >= main->menuBar()->sizeHint().width());
        QVERIFY(main->height() > main->menuBar()->sizeHint().height() + main->statusBar()->sizeHint().height());
        // The clock panels follow time on their own.
        FixedClock::set(QDateTime(QDate(2014, 7, 4), QTime(0, 0, 1)));
        QTRY_COMPARE_WITH_TIMEOUT(main->panelText(2), QStringLiteral("04/07/2014"), 2500);
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
            sendClick(company->cmdClose);
        // One question, whose Enter answers No; Yes ends without asking again.
        QCOMPARE(rec.texts(), QStringList{kExitQuestion});
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
        sendClick(company->cmdSelect);
        QVERIFY(company->isVisible());
        QVERIFY2(!rec.messages.isEmpty() && rec.messages.last().text.contains(message),
                 qPrintable(rec.texts().join('|')));
        if (index < 0)
            QCOMPARE(rec.messages.size(), 1);
        QVERIFY(Settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home->app() + QStringLiteral("/ACES")).exists());
        QCOMPARE(main->windowTitle(), QStringLiteral("Quorvant"));
        // Still usable: a good company goes through, by keys: Enter on to the grid, a period chosen there.
        pick(0);
        const qsizetype shown = rec.messages.size();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Return})
            sendKey(company.get(), key);
        QVERIFY(!company->isVisible() && rec.messages.size() == shown);
        QCOMPARE(main->windowTitle(), QStringLiteral("A & B TRADERS [ 001 ] [ 01/04/2014 -- 31/03/2015 ]"));
    }

    void unreadableCompanyListCanBeLeft()
    {
        demoFolder(QString(), true);
        home->writeFile(QStringLiteral("Kolvcomp.dbf"), "not a table");
        company = std::make_unique<frmCompDef>();
        QCOMPARE(company->DCCompany->count(), 0);
        QVERIFY2(rec.texts().size() == 1 && rec.texts()[0].contains("Kolvcomp.dbf"), qPrintable(rec.texts().join('|')));
        company->show();
        rec.answers = {0};
        sendClick(company->cmdClose);
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
        demoFolder(QStringLiteral("context"));
        QStringList seen;
        QString date, reselected, offeredId;
        bool tabbedIntoDate = false;
        RememberUserId(QStringLiteral("CLERK"));
        onNextModal([&](QWidget *modal) {
            auto *login = qobject_cast<frmSplash *>(modal);
            seen << modal->objectName();
            if (cancel) {
                // The login's date is only shown: Tab never stops in it.
                login->cmdCancel->setFocus();
                for (int i = 0; i < 4; ++i) {
                    pressKey(modal, Qt::Key_Tab);
                    tabbedIntoDate = tabbedIntoDate || login->ucDate->isAncestorOf(QApplication::focusWidget());
                }
                return sendClick(login->cmdCancel);
            }
            offeredId = login->CmbUserId->lineEdit()->selectedText(); // typing replaces it
            date = login->ucDate->Locked() ? login->ucDate->Text() : QStringLiteral("not locked");
            sendText(keyTarget(modal), QStringLiteral("ACCOUNTS"));
            pressKey(modal, Qt::Key_Return); // to the password
            sendText(keyTarget(modal), QStringLiteral("x"));
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
                sendClick(grid->viewport(), period);
                sendClick(qobject_cast<frmCompDef *>(selection)->cmdSelect);
            });
            pressKey(modal, Qt::Key_Return); // counts as OK
        });
        QCOMPARE(Main(), cancel ? 0 : -1);
        QCOMPARE(endings, cancel ? 1 : 0);
        QCOMPARE(seen, (cancel ? QStringList{QStringLiteral("frmSplash")}
                               : QStringList{QStringLiteral("frmSplash"), QStringLiteral("frmCompDef")}));
        QVERIFY(!tabbedIntoDate);
        if (cancel)
            return;
        // Offered, shown, selected again; remembered; in the title and the status bar.
        QCOMPARE(QStringList({offeredId, date, reselected, RememberedUserId(), RememberedCompanyChoice().companyCode,
                              MDIForm1::instance()->windowTitle(), MDIForm1::instance()->panelText(1)}),
                 QStringList({"CLERK", "03/07/2014", "x", "ACCOUNTS", "007",
                              "D'SOUZA STEELS [ 007 ] [ 01/04/2014 -- 31/03/2015 ]", "User ID : ACCOUNTS"}));
        QVERIFY(MDIForm1::instance()->isVisible() && QDir(home->app() + QStringLiteral("/ACES/007")).exists());
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
        demoFolder(QStringLiteral("context/bad-codes"), true);
        QList<PeriodEntry> periods, none;
        SelectionFailure listing, choice;
        QVERIFY(ListPeriods(QStringLiteral("001"), &periods, &listing) && !periods.isEmpty());
        // Not even with another company's period at hand.
        QVERIFY(!ListPeriods(code, &none, &listing) && !SelectCompany(code, QStringLiteral("X"), periods[0], &choice));
        QCOMPARE(listing.description + '|' + choice.description, reason + '|' + reason);
        QVERIFY(Settings().strCompCode.isEmpty());
        QVERIFY(!QDir(home->app() + QStringLiteral("/ACES")).exists());
    }

    // An impossible date holds the focus, not the window: every way out of the window closes it; put right, the
    // frame goes with the first text that is a date and Tab moves on.
    void impossibleDate_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"exit button", "Esc", "Ctrl+F4", "close box", "put right"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void impossibleDate()
    {
        showDemoCompany();
        QFETCH(QString, way);
        frmExportToXML *w = openReturn();
        QLineEdit *box = w->ucDt->txtDate;
        FOCUS(box);
        sendText(box, QStringLiteral("31022014"));
        // Tab and a click elsewhere are refused, each time with why at the box and a red frame.
        for (bool tab : {true, false}) {
            QToolTip::hideText();
            if (tab)
                sendKey(box, Qt::Key_Tab);
            else
                sendClick(w->txtPlace);
            QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), QStringLiteral("31/02/2014 is not a date\nPress F2 to view Calander"));
            QVERIFY(box->property("Invalid").toBool());
        }
        if (way == QLatin1String("put right")) {
            sendKey(box, Qt::Key_A, Qt::ControlModifier);
            sendText(box, QStringLiteral("1507202"));
            QVERIFY(box->property("Invalid").toBool());
            sendText(box, QStringLiteral("0"));
            QVERIFY(!box->property("Invalid").toBool());
            sendKey(box, Qt::Key_Tab);
            QCOMPARE(focusName(), QStringLiteral("txtPlace"));
            FOCUS(w->txtRemarks);
            sendKey(w->txtRemarks, Qt::Key_Tab);
            QCOMPARE(focusName(), QStringLiteral("CmdExport")); // the read-only path takes no Tab stop
            return;
        }
        if (way == QLatin1String("exit button"))
            sendClick(w->CmdExit);
        else if (way == QLatin1String("Esc"))
            sendKey(box, Qt::Key_Escape);
        else if (way == QLatin1String("Ctrl+F4"))
            sendKey(box, Qt::Key_F4, Qt::ControlModifier);
        else
            clickCloseBox(main->mdiClient->subWindowList().value(0));
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        QVERIFY(rec.messages.isEmpty());
        QCOMPARE(openReturn()->ucDt->Text(), QStringLiteral("15/07/2014")); // the half-typed date is gone
    }

    void exportAsksBeforeDoubtfulWrites()
    {
        showDemoCompany();
        frmExportToXML *w = openReturn();
        w->txtRegisterNo->setText(QStringLiteral("AAACB1234CXM001"));
        const QString outside = QStringLiteral("1 invoice line and 0 supplier documents are dated outside Apr-Jun "
                                               "2014 (first: INV/1 of 11/07/2014). Write the return anyway?");
        const QString name = QStringLiteral("AAACB1234CXM001_201407150305PM.xml");
        const QString path = home->app() + QStringLiteral("/ACES/001/") + name;
        // No date: refused before anything is read or written.
        w->ucDt->setText(QString());
        sendClick(w->CmdExport);
        QCOMPARE(rec.texts(), QStringList{"Please enter the date"});
        QCOMPARE(focusName(), QStringLiteral("txtDate"));
        w->ucDt->setText(QStringLiteral("15/07/2014"));
        rec.clear();
        rec.answers = {1};
        sendClick(w->CmdExport);
        QCOMPARE(rec.texts(), QStringList{outside});
        QVERIFY(rec.messages[0].defaultNegative && rec.messages[0].buttonStyle == MsgButtons::YesNo);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(w->TxtFileName->text(), QString()); // no file to name

        rec.clear();
        w->txtPlace->setText(QStringLiteral("PUNE"));
        QVERIFY(w->HoldsTypedText());
        sendClick(w->CmdExport); // Yes
        QCOMPARE(rec.texts(), (QStringList{outside, QStringLiteral("File Export to XML and validated successfully")}));
        QVERIFY(!w->HoldsTypedText());
        const QDateTime first = QFileInfo(path).lastModified();
        rec.clear();
        rec.answers = {0, 1};
        sendClick(w->CmdExport);
        QCOMPARE(rec.texts(),
                 (QStringList{outside, QStringLiteral("A return named %1 already exists. Replace it?").arg(name)}));
        QCOMPARE(QFileInfo(path).lastModified(), first);

        // The entries of the return written are offered again for the company, until File -> Forget.
        sendClick(w->CmdExit);
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        w = openReturn();
        QCOMPARE(w->txtRegisterNo->text() + '|' + w->txtPlace->text(), QStringLiteral("AAACB1234CXM001|PUNE"));
        QVERIFY(!w->HoldsTypedText());
        rec.answers = {0};
        main->mnuForget->trigger();
        QVERIFY(RememberedReturnFields(Settings().strCompCode).isEmpty());
    }

    // File -> Change Company: typed entries asked about first; Cancel, even after a choice that failed
    // part-way, leaves the earlier company open; Select moves title, status bar and remembered choice on.
    void changeCompany_data()
    {
        QTest::addColumn<bool>("select");
        QTest::newRow("Cancel after a failed choice") << false;
        QTest::newRow("another company") << true;
    }
    void changeCompany()
    {
        QFETCH(bool, select);
        showDemoCompany();
        main->CompanyChosen();
        const QString title = main->windowTitle();
        frmExportToXML *w = openReturn();
        FOCUS(w->txtRegisterNo);
        sendText(w->txtRegisterNo, QStringLiteral("AAACB"));
        rec.answers = {1};
        main->mnuChangeCompany->trigger();
        QCOMPARE(rec.texts(), QStringList{"The return window holds entries that are in no return yet. Close it all "
                                          "the same?"});
        QVERIFY(main->workingWindow(QStringLiteral("mnuExporttoXML")));
        QVERIFY(QDir(home->app() + QStringLiteral("/002/13041403")).removeRecursively());
        rec.clear();
        rec.answers = {0};
        QString offered;
        onNextModal([&](QWidget *modal) {
            auto *c = qobject_cast<frmCompDef *>(modal);
            offered = c->DCCompany->currentText() + '|' + c->flx->item(c->flx->currentRow(), 1)->text() + '|'
                      + keyTarget(modal)->objectName() + '|' + c->cmdClose->text();
            c->DCCompany->setFocus();
            pressKey(modal, Qt::Key_Down); // the second company
            pressKey(modal, Qt::Key_Return); // on to its periods: 2013-14 has lost its folder
            if (select)
                pressKey(modal, Qt::Key_Down);
            pressKey(modal, Qt::Key_Return);
            if (!select)
                pressKey(modal, Qt::Key_Escape);
        });
        QCOMPARE(main->ChangeCompany(), select);
        QCOMPARE(offered,
                 QStringLiteral("A & B TRADERS|From       01 Apr 2014       To       31 Mar 2015|flx|&Cancel"));
        QVERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        QCOMPARE(rec.messages.size(), select ? 1 : 2); // the question, and the failed choice
        QVERIFY(ConnectionIsOpen(Settings().cnCompanyPeriod));
        const QString code = select ? QStringLiteral("002") : QStringLiteral("001");
        QCOMPARE(Settings().strCompCode + '|' + RememberedCompanyChoice().companyCode,
                 code + '|' + (select ? code : ""));
        QVERIFY(NamedConnection(Settings().cnCompanyPeriod).userName().endsWith(code + QStringLiteral("/14041503")));
        QCOMPARE(main->windowTitle() == title, !select);
        QCOMPARE(main->windowTitle(), CompanyCaption());
        QVERIFY(main->panelText(6).startsWith(Settings().strCompName + QStringLiteral(" [ ") + code));
    }

    // A working window opened again comes to the front, listed once in the Window menu, which keys open; Close All
    // closes them, to be made anew; F1 opens the manual at the section of the window in front; About names the
    // folders in use. The data check: the rows outside the return window's quarter, in words and DD/MM/YYYY.
    void windowAndHelpMenus()
    {
        showDemoCompany();
        QPointer<frmExportToXML> first = openReturn();
        main->mnuExcelImport->trigger();
        for (int twice = 0; twice < 2; ++twice)
            main->mnuDataCheck->trigger();
        QPointer<frmDataCheck> check =
            qobject_cast<frmDataCheck *>(main->workingWindow(QStringLiteral("mnuDataCheck")));
        QCOMPARE(check->lblInvoiceLines->text() + '|' + check->lblSupplierDocuments->text(),
                 QStringLiteral("Invoice lines :|Supplier documents :"));
        QCOMPARE(check->flx->rowCount() + check->MSFlexGrid1->rowCount(), 1);
        QStringList cells;
        for (int column = 0; column < check->flx->columnCount(); ++column)
            cells << check->flx->item(0, column)->text();
        QCOMPARE(cells.join('|'), QStringLiteral("1|INV/1|Invoice date (Col03)|11/07/2014|Dated outside Apr-Jun 2014"));
        QCOMPARE(check->findChild<QLabel *>("lblQuarter")->text(),
                 QStringLiteral("Dates checked against Apr-Jun 2014, as chosen in the return window."));
        QCOMPARE(openReturn(), first.data()); // brought to the front
        sendKey(main, Qt::Key_W, Qt::AltModifier);
        QTRY_VERIFY(main->mnuWindow->isVisible());
        QStringList entries;
        for (QAction *a : main->mnuWindow->actions())
            entries << a->text();
        QCOMPARE(entries.mid(4).join('|'), QStringLiteral("&1 Export To XML|&2 Excel Import|&3 Data Check"));
        QVERIFY(main->mnuWindow->actions().at(4)->isChecked()); // the one brought to the front last
        QTest::keyClick(main->mnuWindow->windowHandle(), Qt::Key_A); // Close &All
        QTRY_VERIFY(main->mdiClient->subWindowList().isEmpty());

        QPointer<QTextBrowser> manual = ShowManual(QStringLiteral("start"));
        QVERIFY2(manual->source().fileName() == QStringLiteral("manual.html"), qPrintable(manual->toPlainText()));
        const int start = manual->verticalScrollBar()->value();
        QTRY_VERIFY(!first);
        frmExportToXML *w = openReturn();
        QVERIFY(w);
        SHOW_ACTIVE(main);
        sendKey(w, Qt::Key_F1);
        QTRY_VERIFY(manual->verticalScrollBar()->value() > start); // at the return window's section
        sendKey(manual, Qt::Key_Escape);
        QTRY_VERIFY(!manual);
        QVERIFY(AboutText().contains(QDir::toNativeSeparators(home->app()).toHtmlEscaped()));
        // Esc and Ctrl+F4 close a working window with the focus on its frame (with the focus in it: the date test).
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_F4}) {
            main->mnuDataCheck->trigger();
            check = qobject_cast<frmDataCheck *>(main->workingWindow(QStringLiteral("mnuDataCheck")));
            if (QWidget *focus = QApplication::focusWidget())
                focus->clearFocus(); // as after a click on its frame
            QVERIFY(!QApplication::focusWidget());
            sendKey(main, key, key == Qt::Key_F4 ? Qt::ControlModifier : Qt::NoModifier);
            QTRY_VERIFY(!check);
        }
    }

    // A first start with no data anywhere offers the installed demo: a copy opens from the user's data folder.
    void firstStartOffersTheDemo()
    {
        QV_SKIP_ON_WINDOWS("the system names the user's data folder there; the demo would go into the user's own");
        QTemporaryDir data;
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        const QString remembered = RememberedAppFolder();
        RememberAppFolder(QString());
        rec.folderAnswers = {QStringLiteral("<demo>")};
        QString problem;
        const AppFolderOutcome outcome = SettleAppFolder(false, &problem);
        const QString opened = AppFolder();
        RememberAppFolder(remembered);
        SetSettledAppFolder(QString());
        qputenv("XDG_DATA_HOME", oldData);
        QCOMPARE(int(outcome), int(AppFolderOutcome::Ready));
        QCOMPARE(rec.demoOffers, 1);
        QCOMPARE(opened, data.path() + QStringLiteral("/quorvant/demo"));
        QVERIFY(QFile::exists(opened + QStringLiteral("/002/14041503/Ledger.dbf")));
        QVERIFY(HoldsAccountingData(opened));
    }

    void dataModeDecision_data()
    {
        QTest::addColumn<QString>("marker"); // in the application folder
        QTest::addColumn<QByteArray>("naturePath"); // empty: no file
        QTest::addColumn<bool>("accessInf");
        QTest::addColumn<QString>("dataPath");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("ok");

        const int fox = int(DataMode::FoxPro), jet = int(DataMode::Jet), sql = int(DataMode::SqlServer);
        const auto row = [](const char *name, const char *marker, const char *naturePath, bool accessInf,
                            const char *dataPath, int mode, const char *server, bool ok) {
            QTest::newRow(name) << QString(marker) << QByteArray(naturePath) << accessInf << QString(dataPath) << mode
                                << QString(server) << ok;
        };
        row("KOLV.Bat wins over everything", "KOLV.Bat", "D:\\Accounts [SRV01]\r\n", true, "", fox, "", true);
        row("Jet, several lines: only the first", "", "D:\\Accounts\r\nE:\\Other\r\n", true, "D:\\Accounts", jet, "",
            true);
        row("Jet, separator kept", "", "D:\\Accounts\\\n", true, "D:\\Accounts\\", jet, "", true);
        row("Jet, blanks kept", "", "  D:\\Accounts  ", true, "  D:\\Accounts  ", jet, "", true);
        row("Jet without NaturePath.inf", "", "", true, "", jet, "", true);
        row("server in brackets", "", "D:\\Accounts [SRV01]", false, "D:\\Accounts [SRV01]", sql, "SRV01", true);
        row("server, no opening bracket", "", "SRV01]", false, "SRV01]", sql, "SRV01", true);
        row("server, no closing bracket stops", "", "[SRV01", false, "[SRV01", sql, "", false);
        row("server, brackets reversed stops", "", "]SRV01[", false, "]SRV01[", sql, "", false);
        row("marker in any letter case", "kolv.bat", "", false, "", fox, "", true);
        row("no file at all stops", "", "", false, "", sql, "", false);
    }

    void dataModeDecision()
    {
        QFETCH(QString, marker);
        QFETCH(QByteArray, naturePath);
        QFETCH(bool, accessInf);
        home = std::make_unique<TestHome>();
        if (!marker.isEmpty())
            home->writeFile(marker, "");
        if (!naturePath.isEmpty())
            home->systemFile(QStringLiteral("NaturePath.inf"), naturePath);
        if (accessInf)
            home->systemFile(QStringLiteral("Access.inf"), "");

        const ModeDecision d = DecideDataMode(home->app(), home->system());
        QTEST(int(d.mode), "mode");
        QTEST(d.dataPath, "dataPath");
        QTEST(d.serverName, "server");
        QTEST(d.ok, "ok");
        if (d.ok)
            return;
        // Start-up stops with the decision's reason, nothing opened.
        StartupFailure failure;
        QVERIFY(!OpenStartupConnections(&failure) && failure.number != 0 && !d.error.isEmpty());
        QCOMPARE(failure.description, d.error);
        QVERIFY(!ConnectionIsOpen(Settings().cnProgram));
    }

    // A file that is not a database is reported, not replaced. (Creating and
    // reopening the database is exercised by every tariff test.)
    void programDatabaseNotADatabase()
    {
        home = std::make_unique<TestHome>();
        const QString bad = home->writeFile(QStringLiteral("bad.sqlite"), QByteArray(4096, 'x'));
        QString error;
        QVERIFY(!OpenProgramDatabase(QStringLiteral("p"), bad, &error) && !error.isEmpty());
        QCOMPARE(QFile(bad).size(), 4096);
    }

    // A short date that is not day first is asked about: Cancel ends the program, OK keeps dd/MM/yyyy from then on.
    void regionalQuestion()
    {
        FixedClock::set(QDateTime(QDate(2014, 3, 5), QTime(10, 0))); // a day whose two forms differ
        StoreShortDateFormat(QStringLiteral("M/d/yyyy"));
        rec.standardAnswers << StdResult::Cancel << StdResult::Ok;
        const QList<bool> goOn{RunRegionalDateCheck(), RunRegionalDateCheck(), RunRegionalDateCheck()};
        QCOMPARE(goOn, (QList<bool>{false, true, true}));
        QCOMPARE(rec.texts(),
                 QStringList(2, "Invalid Regional Setting for Date.\r\nDo you want to change date to dd/MM/yyyy ?"));
        QCOMPARE(rec.messages[0].title, QStringLiteral("Pondrel"));
        QCOMPARE(ShortDateText(QDate(2014, 3, 5)), QStringLiteral("05/03/2014"));
    }

    // QUORVANT_HOME naming a folder that is not there ends the desktop
    // program with the reason, and nothing is made in its place.
    void missingHomeEndsTheProgram()
    {
        home = std::make_unique<TestHome>();
        QVERIFY(QDir(home->app() + QStringLiteral("/Data")).removeRecursively());
        const QString missing = home->app() + QStringLiteral("/nope");
        qputenv("QUORVANT_HOME", missing.toLocal8Bit());
        QCOMPARE(Main(), 1);
        // One message naming the folder; no word of the log, which would live there.
        QCOMPARE(rec.texts(),
                 QStringList{"Error in Main\r\n76\r\nThe application folder " + QDir::toNativeSeparators(missing)
                             + " does not exist (QUORVANT_HOME names it)"});
        QVERIFY(QDir(home->app()).isEmpty());
    }
};

QV_REGISTER_TEST(StartTest)
#include "Start_test.moc"
