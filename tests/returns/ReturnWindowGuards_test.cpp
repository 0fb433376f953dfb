#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"
#include "context/CompanySelection.h"
#include "context/MDIForm1.h"
#include "dates/ucDate.h"
#include "returns/frmExportToXML.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QStyleOptionTitleBar>
#include <QToolTip>

// The return window never holds the user: an impossible date, a wrong quarter,
// a return about to be replaced, and the ways out.
class ReturnWindowGuardsTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIForm1> main;

    frmExportToXML *open()
    {
        main->mnuExporttoXML->trigger();
        return qobject_cast<frmExportToXML *>(main->workingWindow(QStringLiteral("mnuExporttoXML")));
    }
    QStringList written() const { return QDir(home->app() + QStringLiteral("/ACES/001")).entryList(QDir::Files); }

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY(copyDemoInto(*home));
        QVERIFY(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"), home->app() + "/ACES_DLR.xsd"));
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        StartupFailure startup;
        QVERIFY(OpenStartupConnections(&startup));
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        QVERIFY(ListPeriods(QStringLiteral("001"), &periods, &failure));
        QVERIFY(SelectCompany(QStringLiteral("001"), QStringLiteral("A & B TRADERS"), periods.at(1), &failure));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        rec.clear();
        InstallUserInterface(&rec);
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), [] { return new frmExportToXML; });
        main = std::make_unique<MDIForm1>();
        main->resize(1000, 700);
        SHOW_ACTIVE(main.get());
    }
    void cleanup()
    {
        main.reset();
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), {});
        InstallUserInterface(nullptr);
        FixedClock::reset();
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        ClearStoredShortDateFormat();
        ResetSettings();
        home.reset();
    }

    void impossibleDateNeverHoldsTheWindow_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"exit button", "Esc", "Ctrl+F4", "close box"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void impossibleDateNeverHoldsTheWindow()
    {
        QFETCH(QString, way);
        frmExportToXML *w = open();
        QVERIFY(w);
        QLineEdit *box = w->ucDt->txtDate;
        FOCUS(box);
        QTest::keyClicks(box, QStringLiteral("31022014"));
        // Tab and a click elsewhere are refused, each time with the hint at the box and a red frame.
        for (int attempt = 0; attempt < 2; ++attempt) {
            QToolTip::hideText();
            if (attempt == 0)
                QTest::keyClick(box, Qt::Key_Tab);
            else
                QTest::mouseClick(w->txtPlace, Qt::LeftButton);
            QTRY_COMPARE(focusName(), QStringLiteral("txtDate"));
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), QStringLiteral("Press F2 to view Calander"));
            QVERIFY(box->property("Invalid").toBool());
        }

        QMdiSubWindow *sub = main->mdiClient->subWindowList().value(0);
        QVERIFY(sub);
        if (way == QLatin1String("exit button")) {
            QTest::mouseClick(w->CmdExit, Qt::LeftButton);
        } else if (way == QLatin1String("Esc")) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else if (way == QLatin1String("Ctrl+F4")) {
            QTest::keyClick(box, Qt::Key_F4, Qt::ControlModifier);
        } else {
            QStyleOptionTitleBar title;
            title.initFrom(sub);
            title.subControls = QStyle::SC_All;
            title.titleBarFlags = sub->windowFlags();
            title.titleBarState = sub->windowState();
            title.rect = QRect(0, 0, sub->width(), sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, sub));
            const QRect close =
                sub->style()->subControlRect(QStyle::CC_TitleBar, &title, QStyle::SC_TitleBarCloseButton, sub);
            QVERIFY(!close.isEmpty());
            QTest::mouseMove(sub, close.center());
            QTest::mouseClick(sub, Qt::LeftButton, {}, close.center());
        }
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        QVERIFY(rec.messages.isEmpty());
        // Opened again, the half-typed date is gone.
        QCOMPARE(open()->ucDt->Text(), QStringLiteral("15/07/2014"));
    }

    void dateMadeValidLosesItsFrame()
    {
        frmExportToXML *w = open();
        QLineEdit *box = w->ucDt->txtDate;
        FOCUS(box);
        QTest::keyClicks(box, QStringLiteral("31022014"));
        QTest::keyClick(box, Qt::Key_Tab);
        QVERIFY(box->property("Invalid").toBool());
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("1507202"));
        QVERIFY(box->property("Invalid").toBool()); // 15/07/202 is no date yet
        QTest::keyClicks(box, QStringLiteral("0"));
        QVERIFY(!box->property("Invalid").toBool());
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(box->property("Invalid").toBool());
        QTest::keyClicks(box, QStringLiteral("0"));
        QVERIFY(!box->property("Invalid").toBool());
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtPlace"));
        QCOMPARE(w->ucDt->Text(), QStringLiteral("15/07/2020"));
        // The read-only path takes no Tab stop: from the remarks on to the button.
        FOCUS(w->txtRemarks);
        QTest::keyClick(w->txtRemarks, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("CmdExport"));
    }

    // The demo's Apr-Jun 2014 holds one invoice line of July; a second export
    // in the same minute would replace the first.
    void exportAsksBeforeDoubtfulWrites()
    {
        frmExportToXML *w = open();
        w->txtRegisterNo->setText(QStringLiteral("AAACB1234CXM001"));
        const QString outside = QStringLiteral("1 invoice lines and 0 supplier documents are dated outside Apr-Jun "
                                               "2014 (first: INV/1 of 11/07/2014). Write the return anyway?");
        const QString name = QStringLiteral("AAACB1234CXM001_201407150305PM.xml");
        const QString replace = QStringLiteral("A return named %1 already exists. Replace it?").arg(name);

        rec.answers = {1};
        QTest::mouseClick(w->CmdExport, Qt::LeftButton);
        QCOMPARE(rec.texts(), QStringList{outside});
        QVERIFY(rec.messages[0].defaultNegative && rec.messages[0].buttonStyle == MsgButtons::YesNo);
        QCOMPARE(written(), QStringList());

        rec.clear();
        QTest::mouseClick(w->CmdExport, Qt::LeftButton); // Yes
        QCOMPARE(rec.texts(), (QStringList{outside, QStringLiteral("File Export to XML and validated successfully")}));
        QCOMPARE(written(), QStringList{name});
        const QDateTime first = QFileInfo(home->app() + QStringLiteral("/ACES/001/") + name).lastModified();

        rec.clear();
        rec.answers = {0, 1};
        QTest::mouseClick(w->CmdExport, Qt::LeftButton);
        QCOMPARE(rec.texts(), (QStringList{outside, replace}));
        QVERIFY(rec.messages[1].defaultNegative);
        QCOMPARE(QFileInfo(home->app() + QStringLiteral("/ACES/001/") + name).lastModified(), first);
    }
};

QV_REGISTER_TEST(ReturnWindowGuardsTest)
#include "ReturnWindowGuards_test.moc"
