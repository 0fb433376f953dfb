#include "TestHelpers.h"
#include "TestRegistry.h"
#include "WindowTestHelpers.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/UserInterface.h"
#include "context/MDIForm1.h"
#include "dates/ucDate.h"
#include "returns/frmExportToXML.h"

#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>

// The return window on the demo company, opened from the menu.
class frmExportToXMLTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    QStringList pathsShown; // what the path box showed while each message was up
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIForm1> main;

    QString folder() const { return QDir::toNativeSeparators(home->app() + QStringLiteral("/ACES/001/")); }

    frmExportToXML *open()
    {
        main->mnuExporttoXML->trigger();
        auto *w = qobject_cast<frmExportToXML *>(main->workingWindow(QStringLiteral("mnuExporttoXML")));
        rec.onMessage = [this, box = QPointer(w ? w->TxtFileName : nullptr)](const QString &) {
            pathsShown << (box ? box->text() : QString());
        };
        return w;
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
        pathsShown.clear();
        InstallUserInterface(&rec);
        main = std::make_unique<MDIForm1>();
        main->resize(1000, 700);
        SHOW_ACTIVE(main.get());
    }

    void cleanup()
    {
        main.reset();
        InstallUserInterface(nullptr);
        FixedClock::reset();
        closeAllConnections();
        ClearStoredShortDateFormat();
        ResetSettings();
        home.reset();
    }

    void wholeRoad()
    {
        frmExportToXML *w = open();
        QVERIFY(w && w->isVisible());
        QStringList years;
        for (int i = 0; i < w->CmbYear->count(); ++i)
            years << w->CmbYear->itemText(i);
        QCOMPARE(years.join(' ') + ' ' + w->CmbYear->currentText(), QStringLiteral("2010 2011 2012 2013 2014 2014"));
        QCOMPARE(w->CmbMonth->currentText() + ' ' + w->ucDt->Text(), QStringLiteral("Apr-Jun 15/07/2014"));
        QCOMPARE(w->TxtFileName->text(), folder());

        // Typed through the key filter; Enter moves on through the form's key preview.
        FOCUS(w->txtRegisterNo);
        sendText(w->txtRegisterNo, QStringLiteral("aaacb1234cx'm001"));
        QCOMPARE(w->txtRegisterNo->text(), QStringLiteral("AAACB1234CXM001"));
        sendKey(w->txtRegisterNo, Qt::Key_Return);
        QVERIFY(w->ucDt->isAncestorOf(QApplication::focusWidget()));

        // A second click and the exit button while the export runs change nothing.
        rec.onPleaseWait = [w] {
            w->CmdExport->click();
            w->CmdExit->click();
        };
        sendClick(w->CmdExport);
        QCOMPARE(rec.texts(), (QStringList{"1 invoice line and 0 supplier documents are dated outside Apr-Jun 2014 "
                                           "(first: INV/1 of 11/07/2014). Write the return anyway?",
                                           "File Export to XML and validated successfully"}));
        QCOMPARE(rec.pleaseWaitShows, 1);
        QVERIFY(!rec.pleaseWaitVisible && w->isVisible());
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{"AAACB1234CXM001_201407150305PM.xml"});
        QCOMPARE(w->TxtFileName->text(), folder() + "AAACB1234CXM001_201407150305PM.xml");
    }

    void checks_data()
    {
        QTest::addColumn<QString>("typed"); // registration number, place and remarks
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("stamp");
        const QString number("txtRegisterNo");
        QTest::newRow("no number") << "|MUMBAI|X" << QTime(0, 30) << "Please Enter the Registration Number" << number
                                   << "201407151230AM";
        QTest::newRow("place before remarks") << "AAACB1234CXM001||" << QTime(12, 10) << "Please Enter the Place"
                                              << QStringLiteral("txtPlace") << "201407151210PM";
        QTest::newRow("remarks") << "AAACB1234CXM001| |" << QTime(9, 0) << "Please Enter the Remark"
                                 << QStringLiteral("txtRemarks") << "201407150900AM";
        QTest::newRow("number") << "AAACB1234CXA001|PUNE|R" << QTime(23, 59)
                                << "Invalid Registration Number= AAACB1234CXA001\r\nSupplier Name : " << number
                                << "201407151159PM";
    }

    void checks()
    {
        QFETCH(QString, typed);
        QFETCH(QTime, time);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, stamp);
        frmExportToXML *w = open();
        QVERIFY(w);
        const QStringList fields = typed.split(QLatin1Char('|'));
        w->txtRegisterNo->setText(fields[0]);
        w->txtPlace->setText(fields[1]);
        w->txtRemarks->setPlainText(fields[2]);
        FOCUS(w->CmdExport);
        FixedClock::set(QDateTime(QDate(2014, 7, 15), time));
        sendClick(w->CmdExport);

        QCOMPARE(rec.texts(), QStringList{message});
        // The path is shown before the checks, so also while the message is up.
        QCOMPARE(pathsShown, QStringList{folder() + fields[0] + QLatin1Char('_') + stamp + QStringLiteral(".xml")});
        QCOMPARE(focusName(), focus);
        // Nothing typed is lost, nothing is written.
        QCOMPARE(w->txtRegisterNo->text() + '|' + w->txtPlace->text() + '|' + w->txtRemarks->toPlainText(), typed);
        QCOMPARE(rec.pleaseWaitShows, 0);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList());
    }

    void dateTextLikeItsNeighbours_data()
    {
        QTest::addColumn<QSize>("mainWindow");
        QTest::newRow("1000 by 700") << QSize(1000, 700);
        QTest::newRow("1920 by 1200") << QSize(1920, 1200);
    }
    // However much the window's own font grows with the main window, the date
    // box keeps its small bold Arial, as the text boxes around it keep theirs,
    // and the whole date fits in the box.
    void dateTextLikeItsNeighbours()
    {
        QFETCH(QSize, mainWindow);
        main->resize(mainWindow);
        QTRY_COMPARE(main->size(), mainWindow);
        frmExportToXML *w = open();
        QVERIFY(w);
        QCOMPARE_GT(w->font().pointSizeF(), 9.0);
        if (QFontDatabase::families().isEmpty()) // Qt's offscreen platform under Wine
            QSKIP("no fonts here to match the date box's against");
        const QFontInfo date(w->ucDt->txtDate->font());
        QVERIFY(date.bold());
        QCOMPARE_LE(date.pixelSize(), QFontInfo(w->txtPlace->font()).pixelSize() + 2);
        QCOMPARE_LE(w->ucDt->txtDate->fontMetrics().horizontalAdvance(w->ucDt->Text()),
                    w->ucDt->txtDate->contentsRect().width());
    }

    void openTwiceThenReopen()
    {
        frmExportToXML *w = open();
        QVERIFY(w);
        const QSize size = main->mdiClient->subWindowList().first()->size();
        const QFont font = w->font();
        w->txtPlace->setText(QStringLiteral("PUNE"));
        w->txtRemarks->selectAll();
        w->txtRemarks->insertPlainText(QString(250, QLatin1Char('x')));
        QCOMPARE(w->txtRemarks->toPlainText().size(), frmExportToXML::kRemarksLength);

        QCOMPARE(open(), w);
        QCOMPARE(main->mdiClient->subWindowList().first()->size(), size);
        QCOMPARE(w->font(), font);
        QCOMPARE(w->txtPlace->text(), QStringLiteral("PUNE"));

        ShowPleaseWait();
        sendClick(w->CmdExit);
        QVERIFY(!rec.pleaseWaitVisible);
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        w = open();
        QVERIFY(w);
        QCOMPARE(w->txtPlace->text() + '|' + w->txtRemarks->toPlainText(), QStringLiteral("MUMBAI|EXCISE RETURN"));
        QCOMPARE(main->mdiClient->subWindowList().first()->size(), size);
    }
};

QV_REGISTER_TEST(frmExportToXMLTest)
#include "frmExportToXML_test.moc"
