#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"
#include "context/CompanySelection.h"
#include "context/MDIForm1.h"
#include "context/frmCompDef.h"
#include "context/frmDataCheck.h"
#include "context/frmSplash.h"
#include "dates/ucDate.h"
#include "returns/frmExportToXML.h"
#include "ui/EndProgram.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QStatusBar>
#include <QTableWidget>

// The keys and ways out of the start windows, and the data check in the user's words.
class MainWindowKeysTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    int endings = 0;
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIForm1> main;

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY(copyDemoInto(*home));
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        StartupFailure startup;
        QVERIFY(OpenStartupConnections(&startup));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(10, 0)));
        rec.clear();
        InstallUserInterface(&rec);
        endings = 0;
        SetEndProgramHandler([this] { ++endings; });
        main = std::make_unique<MDIForm1>();
        main->resize(1000, 700);
        SHOW_ACTIVE(main.get());
    }
    void cleanup()
    {
        main.reset();
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), {});
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        SetEndProgramHandler({});
        InstallUserInterface(nullptr);
        FixedClock::reset();
        ClearStoredShortDateFormat();
        ResetSettings();
        home.reset();
    }

    // Without a company the program cannot go on: leaving the selection is leaving the program.
    void companySelectionLeftOnlyByTheExitQuestion_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<int>("answer");
        QTest::newRow("close box, No") << false << 1;
        QTest::newRow("close box, Yes") << false << 0;
        QTest::newRow("Esc, No") << true << 1;
    }
    void companySelectionLeftOnlyByTheExitQuestion()
    {
        QFETCH(bool, escape);
        QFETCH(int, answer);
        frmCompDef company(main.get());
        SHOW_ACTIVE(&company);
        rec.answers = {answer};
        if (escape)
            QTest::keyClick(company.DCCompany, Qt::Key_Escape);
        else
            company.close(); // what the window manager's close box asks for
        QCOMPARE(rec.texts(), QStringList{kExitQuestion});
        QCOMPARE(rec.messages[0].title, QStringLiteral("  Quorvant"));
        QCOMPARE(endings, answer == 0 ? 1 : 0);
        QCOMPARE(company.isVisible(), answer != 0);
    }

    void loginDateTakesNoTabStop()
    {
        frmSplash login(main.get());
        SHOW_ACTIVE(&login);
        QVERIFY(login.ucDate->Locked());
        FOCUS(login.cmdCancel);
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(!login.ucDate->isAncestorOf(QApplication::focusWidget()), qPrintable(focusName()));
        }
        QVERIFY(login.ucDate->txtDate->palette().color(QPalette::Base) != QColor(Qt::white));
    }

    void mainWindowKeepsItsMenuAndStatusBar()
    {
        main->resize(50, 50);
        QVERIFY(main->width() >= main->menuBar()->sizeHint().width());
        QVERIFY(main->height() > main->menuBar()->sizeHint().height() + main->statusBar()->sizeHint().height());
    }

    // With a return window open on Apr-Jun 2014, the demo's July invoice line shows, in words and DD/MM/YYYY.
    void dataCheckInTheUsersWords()
    {
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        QVERIFY(ListPeriods(QStringLiteral("001"), &periods, &failure));
        QVERIFY(SelectCompany(QStringLiteral("001"), QStringLiteral("A & B TRADERS"), periods.at(1), &failure));
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), [] { return new frmExportToXML; });
        main->mnuExporttoXML->trigger();
        main->mnuDataCheck->trigger();
        QPointer<frmDataCheck> check =
            qobject_cast<frmDataCheck *>(main->workingWindow(QStringLiteral("mnuDataCheck")));
        QVERIFY(check);
        QCOMPARE(check->lblInvoiceLines->text() + '|' + check->lblSupplierDocuments->text(),
                 QStringLiteral("Invoice lines :|Supplier documents :"));
        QCOMPARE(check->flx->rowCount(), 1);
        QStringList cells;
        for (int column = 0; column < check->flx->columnCount(); ++column)
            cells << check->flx->item(0, column)->text();
        QCOMPARE(cells.join('|'), QStringLiteral("1|INV/1|Invoice date (Col03)|11/07/2014|Dated outside Apr-Jun 2014"));
        QCOMPARE(check->MSFlexGrid1->rowCount(), 0);

        FOCUS(check->cmdRefresh);
        QTest::keyClick(check->cmdRefresh, Qt::Key_Escape);
        QTRY_VERIFY(!check);
        QVERIFY(main->workingWindow(QStringLiteral("mnuExporttoXML")));
    }
};

QV_REGISTER_TEST(MainWindowKeysTest)
#include "MainWindowKeys_test.moc"
