#include "TestHelpers.h"
#include "TestRegistry.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/UserInterface.h"
#include "tariff/TariffImport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {
// One master row as text; a null unit shows as "<null>".
QStringList masterRows()
{
    QStringList rows;
    QSqlQuery q(QSqlDatabase::database(settings().cnProgram));
    if (!q.exec(QStringLiteral("Select TariffNo, Unit, typeof(TariffNo) from Import order by rowid")))
        return {QStringLiteral("query failed: ") + q.lastError().text()};
    while (q.next()) {
        rows << q.value(0).toString() + QLatin1Char('|')
                    + (q.value(1).isNull() ? QStringLiteral("<null>") : q.value(1).toString()) + QLatin1Char('|')
                    + q.value(2).toString();
    }
    return rows;
}

bool exec(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(settings().cnProgram));
    return q.exec(sql);
}

QString fixture(const QString &name)
{
    return fixturePath(QStringLiteral("tariff/") + name);
}

const QStringList kPrevious{QStringLiteral("11111111|OLD|text"), QStringLiteral("22222222|<null>|text")};
} // namespace

class TariffImportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importsSheet_data();
    void importsSheet();
    void failureKeepsMaster_data();
    void failureKeepsMaster();
    void databaseFailureMidwayKeepsMaster();

private:
    std::unique_ptr<TestHome> m_home;
    RecordingUserInterface m_ui;
};

void TariffImportTest::init()
{
    m_home = std::make_unique<TestHome>();
    QString error;
    QVERIFY2(OpenProgramDatabase(settings().cnProgram, ProgramDatabasePath(m_home->app()), &error), qPrintable(error));
    QVERIFY(exec(QStringLiteral("Insert into Import values ('11111111', 'OLD'), ('22222222', NULL)")));
    QCOMPARE(masterRows(), kPrevious);
    m_ui.clear();
    installUserInterface(&m_ui);
}

void TariffImportTest::cleanup()
{
    installUserInterface(nullptr);
    CloseConnection(settings().cnProgram);
    m_home.reset();
}

void TariffImportTest::importsSheet_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<qint64>("sheetRows");
    QTest::addColumn<QStringList>("master");
    QTest::newRow("plain, repeated number, empty unit and number")
        << "Sheet1$" << qint64(6)
        << QStringList{"74081110|KGS|text", "84139190|NOS|text", "27101990|<null>|text", "84139190|KGS|text",
                       "39269099|Kg |text"};
    QTest::newRow("name with a blank") << "'My Sheet$'" << qint64(2)
                                       << QStringList{"85444999|MTR|text", "73181500|NOS|text"};
    QTest::newRow("other order and case, numbers")
        << "Mixed$" << qint64(7)
        << QStringList{"74081110|KGS|text", "84139190|0.5|text", "8413919012|<null>|text", "0.1|NOS|text",
                       "74081110|LTR|text"};
    QTest::newRow("every number empty") << "'Blank numbers$'" << qint64(2) << QStringList{};
    QTest::newRow("apostrophe") << "'O''Brien$'" << qint64(1) << QStringList{"40169390|NOS|text"};
    // A table name matches in any letter case, as the database's do.
    QTest::newRow("other letter case") << "'my sheet$'" << qint64(2) << QStringList{"85444999|MTR|text", "73181500|NOS|text"};
}

void TariffImportTest::importsSheet()
{
    QFETCH(QString, sheet);
    QFETCH(qint64, sheetRows);
    QFETCH(QStringList, master);
    // Twice: the second import replaces the first rather than adding to it.
    for (int run = 0; run < 2; ++run) {
        const TariffImportResult result = ImportTariff(fixture(QStringLiteral("tariff.xls")), sheet);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.sheetRows, sheetRows);
        QCOMPARE(result.rowsCopied, qint64(master.size()));
        QCOMPARE(masterRows(), master);
    }
    QCOMPARE(m_ui.texts(), (QStringList{"Imported Successfully", "Imported Successfully"}));
    const RecordingUserInterface::Entry &m = m_ui.messages.first();
    QCOMPARE(m.title, QStringLiteral("Quorvant"));
    QCOMPARE(m.boxType, 2);
    QCOMPARE(m.buttonStyle, 0);
    QCOMPARE(m.defaultNegative, true);
    QVERIFY(!m.standard);
}

void TariffImportTest::failureKeepsMaster_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no TariffNo column") << "tariff.xls" << "NoTariff$"
                                        << "The sheet NoTariff$ has no column titled \"TariffNo\".";
    QTest::newRow("no Unit column") << "tariff.xls" << "NoUnit$" << "The sheet NoUnit$ has no column titled \"Unit\".";
    QTest::newRow("unknown sheet") << "tariff.xls" << "Prices$" << "The workbook tariff.xls has no sheet named Prices$.";
    QTest::newRow("not a workbook") << "notaworkbook.xls" << "Sheet1$" << "not an Excel 97-2003 workbook";
}

void TariffImportTest::failureKeepsMaster()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(QString, reason);
    const TariffImportResult result = ImportTariff(fixture(file), sheet);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QCOMPARE(masterRows(), kPrevious);
    QCOMPARE(m_ui.messages.size(), 1);
    const RecordingUserInterface::Entry &m = m_ui.messages.first();
    QVERIFY2(m.text.contains(reason) && m.text.contains(QStringLiteral("not been changed")), qPrintable(m.text));
    QCOMPARE(m.title, QStringLiteral("Quorvant"));
    QCOMPARE(m.boxType, 0);
}

void TariffImportTest::databaseFailureMidwayKeepsMaster()
{
    // The third insert fails, after the old rows are gone and two new ones are in.
    QVERIFY(exec(QStringLiteral("Create Trigger stopper Before Insert On Import "
                                "When (Select count(*) From Import) >= 2 "
                                "Begin Select Raise(Abort, 'disk is full'); End")));
    const TariffImportResult result = ImportTariff(fixture(QStringLiteral("tariff.xls")), QStringLiteral("Sheet1$"));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QStringLiteral("disk is full")), qPrintable(result.error));
    QCOMPARE(masterRows(), kPrevious);
    QCOMPARE(m_ui.messages.size(), 1);
    QVERIFY(m_ui.messages.first().text.contains(QStringLiteral("disk is full")));
    // No transaction was left open on the connection.
    QVERIFY(exec(QStringLiteral("Drop Trigger stopper")));
    QVERIFY(ImportTariff(fixture(QStringLiteral("tariff.xls")), QStringLiteral("'My Sheet$'")).ok);
}

QV_REGISTER_TEST(TariffImportTest)
#include "TariffImport_test.moc"
