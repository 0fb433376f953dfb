#include "../context/ContextHelpers.h"
#include "TestRegistry.h"

#include "app/Clock.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"
#include "context/MDIForm1.h"
#include "context/frmDataCheck.h"
#include "dates/ucDate.h"
#include "returns/SchemaValidation.h"
#include "returns/frmExportToXML.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <functional>
#include <memory>

namespace {
// Keeps what the path box showed while each message was up.
struct PathWatcher : RecordingUserInterface
{
    QPointer<QLineEdit> box;
    QStringList pathsShown;
    int showMessage(const QString &text, const QString &title, int boxType, int buttonStyle,
                    bool defaultNegative) override
    {
        pathsShown << (box ? box->text() : QString());
        return RecordingUserInterface::showMessage(text, title, boxType, buttonStyle, defaultNegative);
    }
    // What the user does while the indicator lets window events run.
    std::function<void()> duringWait;
    void showPleaseWait() override
    {
        RecordingUserInterface::showPleaseWait();
        if (duringWait)
            duringWait();
    }
};
} // namespace

// The return window on the demo company, opened from the menu.
class frmExportToXMLTest : public QObject
{
    Q_OBJECT

    PathWatcher rec;
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIForm1> main;

    QString folder() const { return home->app() + QStringLiteral("/ACES/001"); }

    frmExportToXML *open()
    {
        main->mnuExporttoXML->trigger();
        auto *w = qobject_cast<frmExportToXML *>(main->workingWindow(QStringLiteral("mnuExporttoXML")));
        rec.box = w ? w->TxtFileName : nullptr;
        return w;
    }

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QString error;
        QVERIFY2(startOnDemo(*home, false, &error), qPrintable(error));
        QVERIFY(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"), home->app() + "/ACES_DLR.xsd"));
        QList<CompanyEntry> companies;
        QList<PeriodEntry> periods;
        SelectionFailure failure;
        QVERIFY(ListCompanies(&companies, &failure) && ListPeriods(companies.at(0).code, &periods, &failure));
        QVERIFY2(SelectCompany(companies.at(0).code, companies.at(0).name, periods.at(1), &failure),
                 qPrintable(failure.description));
        Clock::setNow(QDateTime(QDate(2014, 7, 15), QTime(15, 5)));
        rec.clear();
        rec.pathsShown.clear();
        rec.duringWait = {};
        installUserInterface(&rec);
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), [] { return new frmExportToXML; });
        main = std::make_unique<MDIForm1>();
        main->resize(1000, 700);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }

    void cleanup()
    {
        main.reset();
        MDIForm1::setWindowFactory(QStringLiteral("mnuExporttoXML"), {});
        installUserInterface(nullptr);
        Clock::reset();
        closeAllConnections();
        ClearStoredShortDateFormat();
        home.reset();
    }

    void wholeRoad()
    {
        frmExportToXML *w = open();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->CmbYear->count(), 5);
        QCOMPARE(w->CmbYear->itemText(0), QStringLiteral("2010"));
        QCOMPARE(w->CmbYear->currentText(), QStringLiteral("2014"));
        QCOMPARE(w->CmbMonth->currentText(), QStringLiteral("Apr-Jun"));
        QCOMPARE(w->ucDt->Text(), QStringLiteral("15/07/2014"));
        QCOMPARE(w->TxtFileName->text(), QDir::toNativeSeparators(folder() + QLatin1Char('/')));
        QCOMPARE(w->CmdExport->text(), QStringLiteral("Create && Validate XML File "));

        // The key filter: small letters become capitals, the apostrophe is dropped.
        QTest::keyClicks(w->txtRegisterNo, QStringLiteral("aaacb1234cx'm001"));
        QCOMPARE(w->txtRegisterNo->text(), QStringLiteral("AAACB1234CXM001"));
        // Enter moves on, through the form's key preview.
        main->activateWindow();
        QTRY_VERIFY(main->isActiveWindow());
        w->txtRegisterNo->setFocus();
        QTest::keyClick(w->txtRegisterNo, Qt::Key_Return);
        QVERIFY(w->ucDt == w->focusWidget() || w->ucDt->isAncestorOf(w->focusWidget()));

        // A second click and the exit button while the export runs change nothing.
        rec.duringWait = [w] {
            w->CmdExport->click();
            w->CmdExit->click();
        };
        QTest::mouseClick(w->CmdExport, Qt::LeftButton);
        QCOMPARE(rec.texts(), QStringList{"File Export to XML and validated successfully"});
        QCOMPARE(rec.pleaseWaitShows, 1);
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(w->isVisible());
        const QStringList written = QDir(folder()).entryList(QDir::Files);
        QCOMPARE(written, QStringList{"AAACB1234CXM001_201407150305PM.xml"});
        QCOMPARE(w->TxtFileName->text(), QDir::toNativeSeparators(folder() + QLatin1Char('/') + written.first()));
        QString reason;
        QVERIFY2(ValidateXmlFile(w->TxtFileName->text(), QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd"), &reason),
                 qPrintable(reason));

        // The demo quarter is clean.
        main->mnuDataCheck->trigger();
        auto *check = qobject_cast<frmDataCheck *>(main->workingWindow(QStringLiteral("mnuDataCheck")));
        QVERIFY(check);
        QCOMPARE(check->lblStatus->text(), QStringLiteral("No problems in 22 invoice lines and 12 supplier documents."));
        QCOMPARE(check->flx->rowCount() + check->MSFlexGrid1->rowCount(), 0);
    }

    void checks_data()
    {
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("remarks");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("no number") << "" << "MUMBAI" << "X" << QTime(0, 30) << "Please Enter the Registration Number"
                                   << "txtRegisterNo" << "201407151230AM";
        QTest::newRow("place before remarks") << "AAACB1234CXM001" << "" << "" << QTime(12, 10)
                                              << "Please Enter the Place" << "txtPlace" << "201407151210PM";
        QTest::newRow("remarks") << "AAACB1234CXM001" << " " << "" << QTime(9, 0) << "Please Enter the Remark"
                                 << "txtRemarks" << "201407150900AM";
        QTest::newRow("number") << "AAACB1234CXA001" << "PUNE" << "R" << QTime(23, 59)
                                << "Invalid Registration Number= AAACB1234CXA001\r\nSupplier Name : "
                                << "txtRegisterNo" << "201407151159PM";
    }

    void checks()
    {
        QFETCH(QString, registration);
        QFETCH(QString, place);
        QFETCH(QString, remarks);
        QFETCH(QTime, time);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, stamp);
        frmExportToXML *w = open();
        QVERIFY(w);
        w->txtRegisterNo->setText(registration);
        w->txtPlace->setText(place);
        w->txtRemarks->setPlainText(remarks);
        w->CmdExport->setFocus();
        Clock::setNow(QDateTime(QDate(2014, 7, 15), time));
        QTest::mouseClick(w->CmdExport, Qt::LeftButton);

        QCOMPARE(rec.texts(), QStringList{message});
        const QString path = QDir::toNativeSeparators(folder() + QLatin1Char('/') + registration + QLatin1Char('_') + stamp
                                                      + QStringLiteral(".xml"));
        QCOMPARE(rec.pathsShown, QStringList{path});
        QCOMPARE(w->TxtFileName->text(), path);
        QCOMPARE(w->focusWidget()->objectName(), focus);
        // Nothing typed is lost, nothing is written.
        QCOMPARE(w->txtRegisterNo->text(), registration);
        QCOMPARE(w->txtPlace->text(), place);
        QCOMPARE(w->txtRemarks->toPlainText(), remarks);
        QCOMPARE(rec.pleaseWaitShows, 0);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList());
    }

    void openTwiceThenReopen()
    {
        frmExportToXML *w = open();
        QVERIFY(w);
        QMdiSubWindow *sub = main->mdiClient->subWindowList().first();
        const QSize size = sub->size();
        const QFont font = w->font();
        w->txtPlace->setText(QStringLiteral("PUNE"));
        w->txtRemarks->selectAll();
        w->txtRemarks->insertPlainText(QString(250, QLatin1Char('x')));
        QCOMPARE(w->txtRemarks->toPlainText().size(), frmExportToXML::kRemarksLength);

        QCOMPARE(open(), w);
        QCOMPARE(main->mdiClient->subWindowList().size(), 1);
        QCOMPARE(sub->size(), size);
        QCOMPARE(w->font(), font);
        QCOMPARE(w->txtPlace->text(), QStringLiteral("PUNE"));

        ShowPleaseWait();
        QTest::mouseClick(w->CmdExit, Qt::LeftButton);
        QVERIFY(!rec.pleaseWaitVisible);
        QTRY_VERIFY(!main->workingWindow(QStringLiteral("mnuExporttoXML")));
        w = open();
        QVERIFY(w);
        QCOMPARE(w->txtPlace->text(), QStringLiteral("MUMBAI"));
        QCOMPARE(w->txtRemarks->toPlainText(), QStringLiteral("EXCISE RETURN"));
        QCOMPARE(main->mdiClient->subWindowList().first()->size(), size);
    }
};

QV_REGISTER_TEST(frmExportToXMLTest)
#include "frmExportToXML_test.moc"
