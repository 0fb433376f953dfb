#include "ReturnTestData.h"
#include "TestRegistry.h"

#include "app/Clock.h"
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

    QString folder() const { return home->app() + QStringLiteral("/ACES/001"); }

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
        QVERIFY(addWorkedExample());
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
    }

    void timeStamp_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("afternoon") << QDateTime(QDate(2014, 7, 11), QTime(15, 5)) << "201407110305PM";
        QTest::newRow("half past midnight") << QDateTime(QDate(2014, 7, 11), QTime(0, 30)) << "201407111230AM";
        QTest::newRow("ten past noon") << QDateTime(QDate(2014, 7, 11), QTime(12, 10)) << "201407111210PM";
        QTest::newRow("new year's eve") << QDateTime(QDate(2014, 12, 31), QTime(23, 59, 59)) << "201412311159PM";
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
        QTest::addColumn<ExportFocus>("focus");
        QTest::newRow("no number") << "" << "" << "" << "Please Enter the Registration Number" << ExportFocus::RegisterNo;
        QTest::newRow("place before remarks") << "AAACB1234CXM001" << "" << "" << "Please Enter the Place" << ExportFocus::Place;
        QTest::newRow("remarks") << "AAACB1234CXM001" << "MUMBAI" << "" << "Please Enter the Remark" << ExportFocus::Remarks;
        QTest::newRow("blanks fill, then the number fails")
            << " " << " " << " " << "Invalid Registration Number=  \r\nSupplier Name : " << ExportFocus::RegisterNo;
        QTest::newRow("number leaving the folder")
            << "AAACB1234CXM/../../x/001" << "MUMBAI" << "X"
            << "The Registration Number AAACB1234CXM/../../x/001 holds the character /, which cannot stand in a file name.\r\n"
               "Please correct the Registration Number."
            << ExportFocus::RegisterNo;
        QTest::newRow("work table missing") << "AAACB1234CXM001" << "MUMBAI" << "X" << "File Not Available (pTemp5)"
                                            << ExportFocus::None;
    }

    void checks()
    {
        QFETCH(QString, registration);
        QFETCH(QString, place);
        QFETCH(QString, remarks);
        QFETCH(QString, message);
        QFETCH(ExportFocus, focus);
        if (message.contains(QLatin1String("pTemp5")))
            QFile::remove(home->app() + QStringLiteral("/ptemp5.DBF"));
        ReturnInputs in = workedExampleInputs(QString());
        in.registrationNumber = registration;
        in.place = place;
        in.remarks = remarks;
        const ExportResult r = ExportReturn(in);
        QVERIFY(!r.success);
        QCOMPARE(r.focus, focus);
        // The path is built before any check.
        QCOMPARE(r.outputPath, folder() + QLatin1Char('/') + registration + QStringLiteral("_201407150305PM.xml"));
        QCOMPARE(rec.texts(), QStringList{message});
        QCOMPARE(rec.messages.first().boxType, 0);
        QCOMPARE(rec.pleaseWaitShows, 0);
        QCOMPARE(QDir(home->app()).entryList({QStringLiteral("*.xml")}, QDir::Files), QStringList());
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList());
    }

    void workedExample()
    {
        const ExportResult r = ExportReturn(workedExampleInputs(QStringLiteral("ignored")));
        QVERIFY(r.success);
        QCOMPARE(r.outputPath, folder() + QStringLiteral("/AAACB1234CXM001_201407150305PM.xml"));
        QCOMPARE(rec.texts(), QStringList{"File Export to XML and validated successfully"});
        QCOMPARE(rec.messages.first().boxType, 2);
        QCOMPARE(rec.pleaseWaitShows, 1);
        QVERIFY(!rec.pleaseWaitVisible);
        QString where;
        QVERIFY2(sameAsReference(readAll(r.outputPath), QStringLiteral("returns/worked-example.xml"), &where), qPrintable(where));
    }

    // After the writer: a chapter failure, an invalid file, a missing schema,
    // a file that cannot be created. None is a success; the indicator goes.
    void failuresAfterWriting_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("fileLeft");
        QTest::newRow("chapter") << "chapter"
                                 << QStringList{"Invalid Chapter No.7408111\r\nExcise Invoice No. : INV/2\r\nProduct Name : Wire",
                                                "Load XML failed: "}
                                 << true;
        QTest::newRow("invalid year") << "year" << QStringList{"Element 'RETURN-YEAR'"} << true;
        QTest::newRow("schema missing") << "schema" << QStringList{"Load XSD failed: "} << true;
        QTest::newRow("folder missing") << "folder" << QStringList{"Could not create the file "} << false;
    }

    void failuresAfterWriting()
    {
        QFETCH(QString, trouble);
        QFETCH(QStringList, messages);
        QFETCH(bool, fileLeft);
        ReturnInputs in = workedExampleInputs(QString());
        if (trouble == QLatin1String("chapter"))
            QVERIFY(addInvoiceLine(2, QStringLiteral("INV/2"), QStringLiteral("2014-07-11"), QStringLiteral("Wire"),
                                   QStringLiteral("7408111"), 1, {1, 0, 0, 0}));
        if (trouble == QLatin1String("year"))
            in.year = QStringLiteral("14");
        if (trouble == QLatin1String("schema"))
            QFile::remove(home->app() + QStringLiteral("/ACES_DLR.xsd"));
        if (trouble == QLatin1String("folder"))
            QDir(folder()).removeRecursively();
        const ExportResult r = ExportReturn(in);
        QVERIFY(!r.success);
        QCOMPARE(rec.messages.size(), messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i)
            QVERIFY2(rec.texts().at(i).startsWith(messages.at(i)), qPrintable(rec.texts().at(i)));
        QCOMPARE(rec.pleaseWaitShows, 1);
        QVERIFY(!rec.pleaseWaitVisible);
        QCOMPARE(QFile::exists(r.outputPath), fileLeft);
    }
};

QV_REGISTER_TEST(ExportCommandTest)
#include "ExportCommand_test.moc"
