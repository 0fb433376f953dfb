#include "ReturnTestData.h"
#include "TestRegistry.h"

#include "app/UserInterface.h"
#include "returns/WorkTables.h"

#include <QTest>

using namespace ReturnTestData;

class WorkTablesTest : public QObject
{
    Q_OBJECT

private slots:
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
        QTest::newRow("both missing: first message only") << QStringList() << "File Not Available (sTemp4)";
        QTest::newRow("ptemp5 missing") << QStringList{"stemp4.DBF"} << "File Not Available (pTemp5)";
        QTest::newRow("a folder is no table") << QStringList{"stemp4.DBF", "ptemp5.DBF/x"} << "File Not Available (pTemp5)";
    }

    void checkWorkTables()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, message);
        TestHome home;
        for (const QString &f : files)
            home.writeFile(f, QByteArray()); // only existence counts
        RecordingUserInterface rec;
        installUserInterface(&rec);
        QCOMPARE(CheckWorkTables(), message.isEmpty());
        QCOMPARE(rec.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(rec.messages.first().title, QStringLiteral("Invalid File"));
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("unit");
        QTest::newRow("one row") << "74081110" << true << "KGS";
        QTest::newRow("the last of two rows") << "72085110" << true << "MT";
        QTest::newRow("null unit") << "84818030" << true << "U";
        QTest::newRow("empty unit") << "84818031" << true << "U";
        QTest::newRow("unit kept as stored") << "29051100" << true << " ltr ";
        QTest::newRow("apostrophe") << "8471'010" << true << "NOS";
        QTest::newRow("not in the master") << "99999999" << false << "U";
        QTest::newRow("quoted text matches nothing") << "x' OR '1'='1" << false << "U";
    }

    void lookups()
    {
        QFETCH(QString, tariff);
        QFETCH(bool, known);
        QFETCH(QString, unit);
        TestHome home;
        QString error;
        QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        const std::pair<const char *, QVariant> rows[] = {{"74081110", "KGS"}, {"72085110", "KGS"}, {"72085110", "MT"},
                                                          {"84818030", QVariant()}, {"84818031", ""}, {"29051100", " ltr "},
                                                          {"8471'010", "NOS"}};
        for (const auto &[t, u] : rows)
            QVERIFY(addMaster(QLatin1String(t), u));
        QCOMPARE(GetUnitForTariff(tariff, &error), unit);
        TariffMaster master(settings().cnProgram);
        bool found = !known;
        QString again;
        for (int i = 0; i < 2; ++i) { // the second answer comes from what the first learnt
            QVERIFY(master.contains(tariff, &found) && master.unitFor(tariff, &again));
            QCOMPARE(found, known);
            QCOMPARE(again, unit);
        }
    }

    // A return reads one snapshot of the master; once written, the master is
    // free again for the tariff import, and a transaction the caller opened
    // is left to the caller.
    void lookupsHoldTheMasterOnlyWhileWriting()
    {
        TestHome home;
        QString error;
        QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("otherProcess"));
        other.setDatabaseName(ProgramDatabasePath(home.app()));
        other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QVERIFY(other.open());
        const QString insert = QStringLiteral("INSERT INTO Import (TariffNo, Unit) VALUES ('72085110', 'MT')");
        QString unit;
        {
            TariffMaster master(settings().cnProgram);
            QVERIFY(master.unitFor(QStringLiteral("74081110"), &unit));
            QSqlQuery q(other);
            QVERIFY(!q.exec(insert)); // locked while the return is written
        }
        QSqlQuery q(other);
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));

        QSqlDatabase program = QSqlDatabase::database(settings().cnProgram);
        QVERIFY(program.transaction());
        {
            TariffMaster master(settings().cnProgram);
            QVERIFY(master.unitFor(QStringLiteral("72085110"), &unit));
            QCOMPARE(unit, QStringLiteral("MT"));
        }
        QVERIFY(!q.exec(insert)); // still the caller's transaction
        QVERIFY(program.rollback());
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));
    }
};

QV_REGISTER_TEST(WorkTablesTest)
#include "WorkTables_test.moc"
