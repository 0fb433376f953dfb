#include "ReturnTestData.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "returns/ExportCommand.h"

#include <QDir>
#include <QTest>

using namespace ReturnTestData;

class ExportCommandTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;
    TestHome *home = nullptr;

    ReturnInputs form() const
    {
        ReturnInputs in = workedExampleInputs(QStringLiteral("ignored"));
        in.dealerName = QStringLiteral("ignored");
        return in;
    }
    QString folder() const { return home->app() + QStringLiteral("/ACES/001"); }
    QString expectedPath() const { return folder() + QStringLiteral("/AAACB1234CXM001_201407150305PM.xml"); }

private slots:
    void init()
    {
        home = new TestHome;
        settings().strCompCode = QStringLiteral("001");
        settings().strCompName = QStringLiteral("A & B TRADERS");
        QDir().mkpath(folder());
        home->writeFile(QStringLiteral("stemp4.DBF"), QByteArray());
        home->writeFile(QStringLiteral("ptemp5.DBF"), QByteArray());
        QFile::copy(schemaPath(), home->app() + QStringLiteral("/ACES_DLR.xsd"));
        QString error;
        QVERIFY2(openTables(*home, &error), qPrintable(error));
        Clock::setNow(QDateTime(QDate(2014, 7, 15), QTime(15, 5, 42)));
        rec.clear();
        installUserInterface(&rec);
    }

    void cleanup()
    {
        installUserInterface(nullptr);
        Clock::reset();
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
        delete home;
        home = nullptr;
    }

    void timeStamp_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("afternoon") << QDateTime(QDate(2014, 7, 11), QTime(15, 5)) << "201407110305PM";
        QTest::newRow("half past midnight") << QDateTime(QDate(2014, 7, 11), QTime(0, 30)) << "201407111230AM";
        QTest::newRow("ten past noon") << QDateTime(QDate(2014, 7, 11), QTime(12, 10)) << "201407111210PM";
        QTest::newRow("before noon") << QDateTime(QDate(2015, 1, 2), QTime(11, 59, 59)) << "201501021159AM";
        QTest::newRow("new year's eve") << QDateTime(QDate(2014, 12, 31), QTime(23, 59)) << "201412311159PM";
    }

    void timeStamp()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, stamp);
        QCOMPARE(ExportTimeStamp(when), stamp);
    }

    // The checks before anything is written, in their order.
    void checks_data()
    {
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("remarks");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        const int reg = int(ExportFocus::RegisterNo);
        QTest::newRow("no number") << "" << "" << "" << "Please Enter the Registration Number" << reg;
        QTest::newRow("place before remarks") << "AAACB1234CXM001" << "" << "" << "Please Enter the Place"
                                              << int(ExportFocus::Place);
        QTest::newRow("remarks") << "AAACB1234CXM001" << "MUMBAI" << "" << "Please Enter the Remark"
                                 << int(ExportFocus::Remarks);
        QTest::newRow("blanks count as filled, then the number fails")
            << " " << " " << " " << "Invalid Registration Number=  \r\nSupplier Name : " << reg;
        QTest::newRow("invalid number") << "AAAC11234CXM001" << "MUMBAI" << "X"
                                        << "Invalid Registration Number = AAAC11234CXM001\r\nSupplier Name : " << reg;
        QTest::newRow("number that would leave the folder")
            << "AAACB1234CXM/../../../x/001" << "MUMBAI" << "X"
            << "The Registration Number AAACB1234CXM/../../../x/001 holds the character /, which cannot stand in a file name.\r\n"
               "Please correct the Registration Number."
            << reg;
    }

    void checks()
    {
        QFETCH(QString, registration);
        QFETCH(QString, place);
        QFETCH(QString, remarks);
        QFETCH(QString, message);
        QFETCH(int, focus);
        QVERIFY(addWorkedExample());
        ReturnInputs in = form();
        in.registrationNumber = registration;
        in.place = place;
        in.remarks = remarks;
        const ExportResult r = ExportReturn(in);
        QVERIFY(!r.success);
        QCOMPARE(int(r.focus), focus);
        // The path is built before any check.
        QCOMPARE(r.outputPath, folder() + QLatin1Char('/') + registration + QStringLiteral("_201407150305PM.xml"));
        QCOMPARE(rec.texts(), QStringList{message});
        QCOMPARE(rec.messages.first().boxType, 0);
        QCOMPARE(rec.pleaseWaitShows, 0);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(home->app()).entryList(QStringList{QStringLiteral("*.xml")}, QDir::Files), QStringList());
    }

    void missingWorkTable()
    {
        QFile::remove(home->app() + QStringLiteral("/ptemp5.DBF"));
        const ExportResult r = ExportReturn(form());
        QVERIFY(!r.success);
        QCOMPARE(r.focus, ExportFocus::None);
        QCOMPARE(rec.texts(), QStringList{"File Not Available (pTemp5)"});
        QCOMPARE(rec.pleaseWaitShows, 0);
    }

    void workedExample()
    {
        QVERIFY(addWorkedExample());
        const ExportResult r = ExportReturn(form());
        QVERIFY(r.success);
        QCOMPARE(r.outputPath, expectedPath());
        QCOMPARE(rec.texts(), QStringList{"File Export to XML and validated successfully"});
        QCOMPARE(rec.messages.first().boxType, 2);
        QCOMPARE(rec.messages.first().buttonStyle, 0);
        QCOMPARE(rec.pleaseWaitShows, 1);
        QVERIFY(!rec.pleaseWaitVisible);
        QString where;
        QVERIFY2(sameAsReference(readAll(expectedPath()), QStringLiteral("returns/worked-example.xml"), &where),
                 qPrintable(where));
    }

    // A chapter failure: its message, then validation reports the incomplete file.
    void chapterFailure()
    {
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addInvoiceLine(1, QStringLiteral("INV/1"), QStringLiteral("2014-07-11"), QStringLiteral("Wire"),
                               QStringLiteral("7408111"), 1, {1, 0, 0, 0}));
        const ExportResult r = ExportReturn(form());
        QVERIFY(!r.success);
        QCOMPARE(rec.messages.size(), 2);
        QCOMPARE(rec.messages[0].text,
                 QStringLiteral("Invalid Chapter No.7408111\r\nExcise Invoice No. : INV/1\r\nProduct Name : Wire"));
        QVERIFY(rec.messages[1].standard);
        QVERIFY2(rec.messages[1].text.startsWith(QStringLiteral("Load XML failed: ")), qPrintable(rec.messages[1].text));
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(QFile::exists(expectedPath()));
    }

    void invalidFileStaysOnDisk()
    {
        QVERIFY(addWorkedExample());
        ReturnInputs in = form();
        in.year = QStringLiteral("14");
        const ExportResult r = ExportReturn(in);
        QVERIFY(!r.success);
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY(rec.messages[0].standard);
        QVERIFY2(rec.messages[0].text.startsWith(QStringLiteral("Element 'RETURN-YEAR'")), qPrintable(rec.messages[0].text));
        QVERIFY(!rec.pleaseWaitVisible);
        QVERIFY(QFile::exists(expectedPath()));
    }

    void schemaMissing()
    {
        QVERIFY(addWorkedExample());
        QFile::remove(home->app() + QStringLiteral("/ACES_DLR.xsd"));
        const ExportResult r = ExportReturn(form());
        QVERIFY(!r.success);
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY(rec.texts().first().startsWith(QStringLiteral("Load XSD failed: ")));
        QVERIFY(!rec.pleaseWaitVisible);
    }

    void companyFolderMissing()
    {
        QVERIFY(addWorkedExample());
        QDir(folder()).removeRecursively();
        const ExportResult r = ExportReturn(form());
        QVERIFY(!r.success);
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY2(rec.texts().first().startsWith(QStringLiteral("Could not create the file ") + expectedPath()),
                 qPrintable(rec.texts().first()));
        QVERIFY(!rec.pleaseWaitVisible);
        QCOMPARE(rec.pleaseWaitShows, 1);
    }
};

QV_REGISTER_TEST(ExportCommandTest)
#include "ExportCommand_test.moc"
