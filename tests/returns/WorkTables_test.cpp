#include "ReturnTestData.h"
#include "TestRegistry.h"
#include "returns/WorkTables.h"

#include <QSqlError>
#include <QTest>

using namespace ReturnTestData;

class WorkTablesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { closeAllConnections(); }

    // A return reads one snapshot of the master; once written, the master is
    // free again for the tariff import, and a transaction the caller opened
    // is left to the caller.
    void lookupsHoldTheMasterOnlyWhileWriting()
    {
        TestHome home;
        QString error;
        QVERIFY2(OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home.app()), &error), qPrintable(error));
        QVERIFY(addMaster(QStringLiteral("74081110"), QStringLiteral("KGS")));
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("otherProcess"));
        other.setDatabaseName(ProgramDatabasePath(home.app()));
        other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QVERIFY(other.open());
        const QString insert = QStringLiteral("INSERT INTO Import (TariffNo, Unit) VALUES ('72085110', 'MT')");
        QString unit;
        {
            TariffMaster master(Settings().cnProgram);
            QVERIFY(GetUnitForTariff(master, QStringLiteral("74081110"), &unit));
            QSqlQuery q(other);
            QVERIFY(!q.exec(insert)); // locked while the return is written
        }
        QSqlQuery q(other);
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));

        QSqlDatabase program = QSqlDatabase::database(Settings().cnProgram);
        QVERIFY(program.transaction());
        {
            TariffMaster master(Settings().cnProgram);
            QVERIFY(GetUnitForTariff(master, QStringLiteral("72085110"), &unit));
            QCOMPARE(unit, QStringLiteral("MT"));
        }
        QVERIFY(!q.exec(insert)); // still the caller's transaction
        QVERIFY(program.rollback());
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));
    }
};

QV_REGISTER_TEST(WorkTablesTest)
#include "WorkTables_test.moc"
