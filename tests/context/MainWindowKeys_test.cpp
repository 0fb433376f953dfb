#include "WindowTestHelpers.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "context/MDIForm1.h"
#include "context/frmDataCheck.h"
#include "context/frmSplash.h"
#include "dates/ucDate.h"
#include "returns/frmExportToXML.h"
#include "ui/EndProgram.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOptionTitleBar>
#include <QTableWidget>
#include <QToolTip>

// The ways out of the windows, by keys and mouse, on the demo company
// (Apr-Jun 2014, one invoice line dated in July).
class MainWindowKeysTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIForm1> main;

    frmExportToXML *openReturn()
    {
        main->mnuExporttoXML->trigger();
        return qobject_cast<frmExportToXML *>(main->workingWindow(QStringLiteral("mnuExporttoXML")));
    }
    void clickCloseBox(QMdiSubWindow *sub)
    {
        QStyleOptionTitleBar title;
        title.initFrom(sub);
        title.subControls = QStyle::SC_All;
        title.titleBarFlags = sub->windowFlags();
        title.rect = QRect(0, 0, sub->width(), sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, sub));
        const QPoint at =
            sub->style()->subControlRect(QStyle::CC_TitleBar, &title, QStyle::SC_TitleBarCloseButton, sub).center();
        QTest::mouseMove(sub, at);
        QTest::mouseClick(sub, Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        QString error;
        QVERIFY2(openDemoCompany(*home, &error), qPrintable(error));
        QVERIFY(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"), home->app() + "/ACES_DLR.xsd"));
        FixedClock::set(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        rec.clear();
        InstallUserInterface(&rec);
        SetEndProgramHandler([] {});
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), [] { return new frmExportToXML; });
        main = std::make_unique<MDIForm1>();
        main->resize(1000, 700);
        SHOW_ACTIVE(main.get());
    }
    void cleanup()
    {
        main.reset();
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), {});
        closeAllConnections();
        SetEndProgramHandler({});
        InstallUserInterface(nullptr);
        FixedClock::reset();
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

    void frameFollowsTheDateUntilLeft()
    {
        frmExportToXML *w = openReturn();
        QLineEdit *box = w->ucDt->txtDate;
        FOCUS(box);
        QTest::keyClicks(box, QStringLiteral("31022014"));
        QTest::keyClick(box, Qt::Key_Tab);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("1507202"));
        QVERIFY(box->property("Invalid").toBool());
        QTest::keyClicks(box, QStringLiteral("0"));
        QVERIFY(!box->property("Invalid").toBool());
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("txtPlace"));
        // The read-only path takes no Tab stop.
        FOCUS(w->txtRemarks);
        QTest::keyClick(w->txtRemarks, Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("CmdExport"));
    }

    void exportAsksBeforeDoubtfulWrites()
    {
        frmExportToXML *w = openReturn();
        w->txtRegisterNo->setText(QStringLiteral("AAACB1234CXM001"));
        const QString outside = QStringLiteral("1 invoice lines and 0 supplier documents are dated outside Apr-Jun "
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
        QTest::mouseClick(w->CmdExport, Qt::LeftButton); // Yes
        QCOMPARE(rec.texts(), (QStringList{outside, QStringLiteral("File Export to XML and validated successfully")}));
        const QDateTime first = QFileInfo(path).lastModified();
        rec.clear();
        rec.answers = {0, 1};
        QTest::mouseClick(w->CmdExport, Qt::LeftButton);
        QCOMPARE(rec.texts(),
                 (QStringList{outside, QStringLiteral("A return named %1 already exists. Replace it?").arg(name)}));
        QCOMPARE(QFileInfo(path).lastModified(), first);
    }

    // The rows outside the open return window's quarter, in words and DD/MM/YYYY; Esc closes.
    void dataCheckInTheUsersWords()
    {
        openReturn();
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
        // Esc and Ctrl+F4 close it, with the focus in it or on its frame.
        FOCUS(check->cmdRefresh);
        sendKey(check, Qt::Key_Escape);
        QTRY_VERIFY(!check);
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_F4}) {
            main->mnuDataCheck->trigger();
            check = qobject_cast<frmDataCheck *>(main->workingWindow(QStringLiteral("mnuDataCheck")));
            if (QWidget *focus = QApplication::focusWidget())
                focus->clearFocus(); // as after a click on its frame
            QVERIFY(!QApplication::focusWidget());
            sendKey(main.get(), key, key == Qt::Key_F4 ? Qt::ControlModifier : Qt::NoModifier);
            QTRY_VERIFY(!check);
        }
    }

    // The login's date is only shown; the main window never hides its menu.
    void startWindows()
    {
        frmSplash login(main.get());
        SHOW_ACTIVE(&login);
        FOCUS(login.cmdCancel);
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(!login.ucDate->isAncestorOf(QApplication::focusWidget()), qPrintable(focusName()));
        }
        main->resize(50, 50);
        QVERIFY(main->width() >= main->menuBar()->sizeHint().width());
        QVERIFY(main->height() > main->menuBar()->sizeHint().height() + main->statusBar()->sizeHint().height());
    }
};

QV_REGISTER_TEST(MainWindowKeysTest)
#include "MainWindowKeys_test.moc"
