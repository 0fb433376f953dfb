#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "tariff/TariffImport.h"

#include <QSqlQuery>
#include <QTest>

namespace {
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

// The import stopped in each of its phases leaves the master as it was.
class CancelImportTest : public QObject
{
    Q_OBJECT

private slots:
    void cancelled_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("reading the sheet") << "Reading the sheet";
        QTest::newRow("importing rows") << "Importing rows";
    }

    void cancelled()
    {
        QFETCH(QString, phase);
        TestHome home;
        QString error;
        QVERIFY(OpenProgramDatabase(Settings().cnProgram, ProgramDatabasePath(home.app()), &error));
        QSqlQuery q(QSqlDatabase::database(Settings().cnProgram));
        QVERIFY(q.exec(QStringLiteral("Insert into Import values ('11111111', 'OLD')")));
        auto rows = [&q] {
            return q.exec("Select group_concat(TariffNo || Unit) from Import") && q.next() ? q.value(0) : QVariant();
        };
        CancelAt ui;
        ui.phase = phase;
        InstallUserInterface(&ui);
        ClearCancel();
        const QString book = fixturePath(QStringLiteral("tariff/tariff.xls"));
        QVERIFY(ImportTariff(book, QStringLiteral("Sheet1$")).cancelled);
        QCOMPARE(ui.texts(), QStringList{"The import was cancelled. The tariff master has not been changed."});
        QCOMPARE(rows(), QVariant("11111111OLD"));

        ClearCancel();
        ui = CancelAt();
        QVERIFY(ImportTariff(book, QStringLiteral("Sheet1$")).ok);
        QCOMPARE(ui.ends, (QStringList{"Reading the sheet", "Importing rows"}));
        QVERIFY(rows() != QVariant("11111111OLD"));
    }

    void cleanup()
    {
        InstallUserInterface(nullptr);
        CloseConnection(Settings().cnProgram);
    }
};

QV_REGISTER_TEST(CancelImportTest)
#include "CancelImport_test.moc"
