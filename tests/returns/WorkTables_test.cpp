#include "ReturnTestData.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "returns/WorkTables.h"

#include <QTest>

using namespace ReturnTestData;

class WorkTablesTest : public QObject
{
    Q_OBJECT

    RecordingUserInterface rec;

private slots:
    void init()
    {
        rec.clear();
        installUserInterface(&rec);
    }
    void cleanup()
    {
        installUserInterface(nullptr);
        for (const QString &name : QSqlDatabase::connectionNames())
            CloseConnection(name);
    }

    void checkWorkTables_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("message"); // empty: both present
        QTest::newRow("both") << QStringList{"stemp4.DBF", "ptemp5.DBF"} << "";
        QTest::newRow("other letter case") << QStringList{"STEMP4.dbf", "PTemp5.Dbf"} << "";
        QTest::newRow("both missing: the first message only") << QStringList() << "File Not Available (sTemp4)";
        QTest::newRow("ptemp5 missing") << QStringList{"stemp4.DBF"} << "File Not Available (pTemp5)";
        QTest::newRow("a folder is no table") << QStringList{"stemp4.DBF", "ptemp5.DBF/"} << "File Not Available (pTemp5)";
    }

    void checkWorkTables()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        TestHome home;
        for (const QString &f : files) {
            if (f.endsWith(QLatin1Char('/')))
                QDir().mkpath(home.app() + QLatin1Char('/') + f);
            else
                home.writeFile(f, QByteArray()); // only existence counts
        }
        QCOMPARE(CheckWorkTables(), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(rec.messages.size(), 0);
            return;
        }
        QCOMPARE(rec.texts(), QStringList{message});
        QCOMPARE(rec.messages.first().title, QStringLiteral("Invalid File"));
        QCOMPARE(rec.messages.first().boxType, 0);
        QVERIFY(rec.messages.first().defaultNegative);
    }

    void units_data()
    {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<QString>("unit");
        QTest::newRow("one row") << "74081110" << "KGS";
        QTest::newRow("the last of two rows") << "72085110" << "MT";
        QTest::newRow("null unit") << "84818030" << "U";
        QTest::newRow("empty unit") << "84818031" << "U";
        QTest::newRow("not in the master") << "99999999" << "U";
        QTest::newRow("unit kept as stored") << "29051100" << " ltr ";
        QTest::newRow("apostrophe") << "8471'010" << "NOS";
        QTest::newRow("quoted text matches nothing") << "x' OR '1'='1" << "U";
    }

    void units()
    {
        QFETCH(QString, tariff);
        QFETCH(QString, unit);
        TestHome home;
        QString error;
        QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QVERIFY(addMaster(QStringLiteral("72085110"), QStringLiteral("KGS")));
        QVERIFY(addMaster(QStringLiteral("72085110"), QStringLiteral("MT")));
        QVERIFY(addMaster(QStringLiteral("84818030"), QVariant()));
        QVERIFY(addMaster(QStringLiteral("84818031"), QString(QLatin1String(""))));
        QVERIFY(addMaster(QStringLiteral("29051100"), QStringLiteral(" ltr ")));
        QVERIFY(addMaster(QStringLiteral("8471'010"), QStringLiteral("NOS")));
        QCOMPARE(GetUnitForTariff(tariff, &error), unit);

        TariffMaster master(settings().cnProgram);
        bool known = false;
        QVERIFY(master.contains(tariff, &known));
        QCOMPARE(known, tariff != QLatin1String("99999999") && !tariff.contains(QLatin1String(" OR ")));
        // Asked again: the same answers.
        QString again;
        QVERIFY(master.unitFor(tariff, &again));
        QVERIFY(master.unitFor(tariff, &again));
        QCOMPARE(again, unit);
    }

    void masterNotOpen()
    {
        QString error;
        QCOMPARE(GetUnitForTariff(QStringLiteral("74081110"), &error), QString());
        QVERIFY2(error.startsWith(QStringLiteral("Select Unit from Import Where TariffNo=? ")), qPrintable(error));
    }
};

QV_REGISTER_TEST(WorkTablesTest)
#include "WorkTables_test.moc"
