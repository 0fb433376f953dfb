#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/Progress.h"
#include "tariff/TariffImport.h"

#include <QSqlQuery>
#include <QTest>

namespace {
QStringList master()
{
    QSqlQuery q(QSqlDatabase::database(Settings().cnProgram));
    QStringList rows;
    q.exec(QStringLiteral("Select TariffNo || '|' || ifnull(Unit, '<null>') from Import order by rowid"));
    while (q.next())
        rows << q.value(0).toString();
    return rows;
}

struct CancelAt : RecordingUserInterface
{
    QString phase;
    QStringList ends; // the phases that reached their totals, in order
    void showProgress(const ProgressState &s) override
    {
        if (s.what == phase)
            RequestCancel();
        if (s.done == s.total)
            ends << s.what;
    }
};
} // namespace

// The import stopped in each of its phases leaves the master as it was.
class CancelImportTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    CancelAt ui;

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QString error;
        QVERIFY(OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home->app()), &error));
        QVERIFY(QSqlQuery(QSqlDatabase::database(Settings().cnProgram))
                    .exec(QStringLiteral("Insert into Import values ('11111111', 'OLD')")));
        ClearCancel();
        ui = CancelAt();
        InstallUserInterface(&ui);
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        ClearCancel();
        CloseConnection(Settings().cnProgram);
        home.reset();
    }

    void cancelled_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("reading the sheet") << "Reading the sheet";
        QTest::newRow("importing rows") << "Importing rows";
    }

    void cancelled()
    {
        QFETCH(QString, phase);
        ui.phase = phase;
        const QString book = fixturePath(QStringLiteral("tariff/tariff.xls"));
        const TariffImportResult r = ImportTariff(book, QStringLiteral("Sheet1$"));
        QVERIFY(r.cancelled && !r.ok);
        QCOMPARE(ui.texts(), QStringList{"The import was cancelled. The tariff master has not been changed."});
        QCOMPARE(master(), QStringList{"11111111|OLD"});

        ClearCancel();
        ui = CancelAt();
        QVERIFY(ImportTariff(book, QStringLiteral("Sheet1$")).ok);
        QCOMPARE(master().size(), 5);
        QCOMPARE(ui.ends, (QStringList{"Reading the sheet", "Importing rows"}));
    }
};

QV_REGISTER_TEST(CancelImportTest)
#include "CancelImport_test.moc"
