#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "tariff/TariffImport.h"

#include <QSqlQuery>
#include <QTest>

namespace {
bool exec(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(Settings().cnProgram));
    return q.exec(sql);
}

// Every master row as "number|unit|storage type"; a null unit shows as "<null>".
QStringList master()
{
    QSqlQuery q(QSqlDatabase::database(Settings().cnProgram));
    QStringList rows;
    if (!q.exec(QStringLiteral("Select TariffNo, ifnull(Unit, '<null>'), typeof(TariffNo) from Import order by rowid")))
        return {QStringLiteral("unreadable")};
    while (q.next())
        rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()}.join(QLatin1Char('|'));
    return rows;
}

QString book(const QString &name = QStringLiteral("tariff.xls"))
{
    return fixturePath(QStringLiteral("tariff/") + name);
}

const QStringList kPrevious{QStringLiteral("11111111|OLD|text"), QStringLiteral("22222222|<null>|text")};

// Cancels at the first report of `phase`; keeps the phases that reached their totals.
struct CancelAt : RecordingUserInterface
{
    QString phase;
    QStringList ends;
    void showProgress(const ProgressState &s) override
    {
        if (s.what == phase)
            RequestCancel();
        if (s.done == s.total)
            ends << s.what;
    }
};
} // namespace

class TariffImportTest : public QObject
{
    Q_OBJECT

    TestHome *home = nullptr;
    RecordingUserInterface ui;

private slots:
    void init()
    {
        home = new TestHome;
        QString error;
        QVERIFY2(OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home->app()), &error),
                 qPrintable(error));
        QVERIFY(exec(QStringLiteral("Insert into Import values ('11111111', 'OLD'), ('22222222', NULL)")));
        ui.clear();
        InstallUserInterface(&ui);
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        CloseConnection(Settings().cnProgram);
        delete home;
    }

    // Run twice: the second import replaces the first rather than adding to it.
    void importsSheet_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("repeated number, empty unit and number")
            << "Sheet1$"
            << QStringList{"74081110|KGS|text", "84139190|NOS|text", "27101990|<null>|text", "84139190|KGS|text",
                           "39269099|Kg |text"};
        QTest::newRow("name with a blank, other letter case")
            << "'my sheet$'" << QStringList{"85444999|MTR|text", "73181500|NOS|text"};
        QTest::newRow("other column order and case; numbers kept as text")
            << "Mixed$"
            << QStringList{"74081110|KGS|text", "84139190|0.5|text", "8413919012|<null>|text", "0.1|NOS|text",
                           "74081110|LTR|text"};
        QTest::newRow("every number empty") << "'Blank numbers$'" << QStringList{};
        QTest::newRow("apostrophe") << "'O''Brien$'" << QStringList{"40169390|NOS|text"};
    }

    void importsSheet()
    {
        QFETCH(QString, sheet);
        QFETCH(QStringList, rows);
        for (int run = 0; run < 2; ++run) {
            const TariffImportResult result = ImportTariff(book(), sheet);
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(master(), rows);
        }
        QCOMPARE(ui.texts(), (QStringList{"Imported Successfully", "Imported Successfully"}));
        QCOMPARE(ui.messages.first().boxType, 2);
    }

    // Any failure: the reason, and the master as it was, row for row, on a
    // connection left fit for the next import.
    void failureKeepsMaster_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString tariff("tariff.xls"), sheet1("Sheet1$");
        QTest::newRow("no TariffNo column")
            << "NoTariff$" << tariff << "The sheet NoTariff$ has no column titled \"TariffNo\".";
        QTest::newRow("no Unit column") << "NoUnit$" << tariff << "The sheet NoUnit$ has no column titled \"Unit\".";
        QTest::newRow("unknown sheet") << "Prices$" << tariff << "The workbook tariff.xls has no sheet named Prices$.";
        QTest::newRow("text file") << sheet1 << QStringLiteral("notaworkbook.xls") << "not an Excel 97-2003 workbook";
        QTest::newRow("missing") << sheet1 << QStringLiteral("missing.xls") << "does not exist";
        // The third insert fails, after the old rows are gone and two new ones are in.
        QTest::newRow("database fails midway") << sheet1 << tariff << "disk is full";
    }

    // Stopped in each of its phases, the import leaves the master as it was.
    void cancelled_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("reading the sheet") << "Reading the sheet";
        QTest::newRow("importing rows") << "Importing rows";
    }

    void cancelled()
    {
        CancelAt cancel;
        QFETCH(QString, phase);
        cancel.phase = phase;
        InstallUserInterface(&cancel);
        ClearCancel();
        QVERIFY(ImportTariff(book(), QStringLiteral("Sheet1$")).cancelled);
        QCOMPARE(cancel.texts(), QStringList{"The import was cancelled. The tariff master has not been changed."});
        QCOMPARE(master(), kPrevious);

        ClearCancel();
        cancel = CancelAt();
        QVERIFY(ImportTariff(book(), QStringLiteral("Sheet1$")).ok);
        QCOMPARE(cancel.ends, (QStringList{"Reading the sheet", "Importing rows"}));
        QCOMPARE(master().size(), 5);
    }

    void failureKeepsMaster()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QVERIFY(
            exec(QStringLiteral(
                     "Create Trigger stopper Before Insert On Import When %1 and (Select count(*) From Import) >= 2 "
                     "Begin Select Raise(Abort, 'disk is full'); End")
                     .arg(reason == QLatin1String("disk is full"))));
        const TariffImportResult result = ImportTariff(book(file), sheet);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QCOMPARE(master(), kPrevious);
        QCOMPARE(ui.texts(), QStringList{result.error + "\nThe tariff master has not been changed."});
        QVERIFY(exec(QStringLiteral("Drop Trigger stopper")));
        QVERIFY(ImportTariff(book(), QStringLiteral("'My Sheet$'")).ok);
    }
};

QV_REGISTER_TEST(TariffImportTest)
#include "TariffImport_test.moc"
