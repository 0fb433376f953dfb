#include "QueryRows.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/Values.h"
#include "context/CompanySelection.h"
#include "context/Startup.h"
#include "sources/DataConnections.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A loopback port that accepts connections and never says a word.
struct SilentServer
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    SilentServer()
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto *any = reinterpret_cast<sockaddr *>(&address);
        if (fd >= 0 && ::bind(fd, any, length) == 0 && ::listen(fd, 8) == 0 && ::getsockname(fd, any, &length) == 0)
            port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

// Database mode against a real server: PostgreSQL through psqlODBC, set up as
// an ODBC data source named like a server. scripts/test.sh starts one and
// exports QV_PG_DSN and ODBCINI; without them this test starts its own.
class DatabaseModeTest : public QObject
{
    Q_OBJECT

private:
    // Start-up in SQL Server mode, the test server named in NaturePath.inf.
    bool startOnServer(const TestHome &home, const QByteArray &lineEnd = QByteArray())
    {
        home.systemFile(QStringLiteral("NaturePath.inf"), QStringLiteral("[%1]").arg(m_dsn).toUtf8() + lineEnd);
        StartupFailure failure;
        const bool opened = OpenStartupConnections(&failure);
        if (!opened)
            qWarning() << failure.description;
        return opened;
    }

    QString m_dsn;
    QString m_startedDir; // the server this test started, if any
    QTemporaryDir m_odbc;
    SilentServer m_silent;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("QV_PG_DSN") || qEnvironmentVariableIsEmpty("ODBCINI")) {
            QProcess p;
            p.start(QStringLiteral(QV_SOURCE_DIR "/scripts/pg-test-server.sh"),
                    {QStringLiteral("start"), QString::number(QCoreApplication::applicationPid())});
            const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
            const QString dir = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
            if (!ok || dir.isEmpty()) {
                const QString why = QStringLiteral("the PostgreSQL test server could not be started: ")
                                    + QString::fromLocal8Bit(p.readAllStandardError()).trimmed() + p.errorString();
                if (qEnvironmentVariable("CI") == QLatin1String("true"))
                    QFAIL(qPrintable(why));
                QSKIP(qPrintable(why));
            }
            m_startedDir = dir;
            // Its env.sh: a line "export NAME='value'" for each setting.
            auto assignments = QRegularExpression(QStringLiteral("export (\\w+)='([^']*)'"))
                                   .globalMatch(QString::fromUtf8(bytesOf(dir + QStringLiteral("/env.sh"))));
            while (assignments.hasNext()) {
                const QRegularExpressionMatch m = assignments.next();
                qputenv(m.captured(1).toLatin1().constData(), m.captured(2).toLocal8Bit());
            }
        }
        m_dsn = qEnvironmentVariable("QV_PG_DSN");
        QVERIFY(!m_dsn.isEmpty());
        QVERIFY(m_silent.port > 0);

        // A second data source, on the silent port, beside the server's own.
        QString ini = QString::fromUtf8(bytesOf(qEnvironmentVariable("ODBCINI")));
        QVERIFY2(ini.contains(m_dsn), "the server's odbc.ini lacks its data source");
        QString silent = ini.mid(ini.indexOf(u'\n') + 1);
        silent.replace(QRegularExpression(QStringLiteral("Port = \\d+")),
                       QStringLiteral("Port = %1").arg(m_silent.port));
        ini += QStringLiteral("\n[QV-SILENT-SERVER]\n") + silent;
        QVERIFY(writeBytes(m_odbc.filePath(QStringLiteral("odbc.ini")), ini.toUtf8()));
        qputenv("ODBCINI", m_odbc.filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
    }

    void cleanupTestCase()
    {
        if (!m_startedDir.isEmpty())
            QProcess::execute(QStringLiteral(QV_SOURCE_DIR "/scripts/pg-test-server.sh"),
                              {QStringLiteral("stop"), m_startedDir});
    }

    void cleanup()
    {
        const AppSettings &s = Settings();
        for (const QString &name : {s.cnKolvSet, s.cnProgram, s.cnCompany})
            CloseConnection(name);
    }

    // Start-up finds the server in NaturePath.inf and opens the company list
    // there; the selection core then reads it the way the window does and
    // opens a company's own catalog, or says that it is missing.
    void companiesPeriodsAndWorkTables()
    {
        TestHome home;
        QVERIFY(startOnServer(home, "\r\n"));
        QVERIFY(Settings().blnKolvSet);
        QVERIFY(!Settings().blnFoxPro);
        QCOMPARE(Settings().strServerName, m_dsn);

        QList<CompanyEntry> companies;
        SelectionFailure why;
        QVERIFY2(ListCompanies(&companies, &why), qPrintable(why.description));
        QStringList listed;
        for (const CompanyEntry &c : companies)
            listed << ValueText(c.code) + u'=' + c.name;
        QCOMPARE(listed, QStringList({QStringLiteral("1=ABC TRADERS"), QStringLiteral("2=O'BRIEN & SONS"),
                                      QStringLiteral("3=NO PERIODS LTD")}));

        QList<PeriodEntry> periods, first;
        QVERIFY2(ListPeriods(companies[2].code, &periods, &why), qPrintable(why.description));
        QVERIFY(periods.isEmpty());
        QVERIFY2(ListPeriods(companies[1].code, &periods, &why), qPrintable(why.description));
        QCOMPARE(periods.size(), 1);
        QCOMPARE(periods[0].to, QDate(1900, 3, 31));
        // Company 2 has no catalog DB2 on the server.
        QVERIFY(!SelectCompany(companies[1].code, companies[1].name, periods[0], &why));
        QVERIFY2(why.description.contains(QStringLiteral("Cannot connect to the database DB2")),
                 qPrintable(why.description));
        QVERIFY(Settings().strCompCode.isEmpty());

        QVERIFY2(ListPeriods(companies[0].code, &first, &why), qPrintable(why.description));
        QCOMPARE(first.size(), 2);
        QCOMPARE(first[0].from, QDate(2014, 4, 1));
        QCOMPARE(first[0].code, QStringLiteral("14041503"));
        QCOMPARE(first[1].code, QStringLiteral("13041403"));
        QVERIFY2(SelectCompany(companies[0].code, companies[0].name, first[0], &why), qPrintable(why.description));
        QCOMPARE(Settings().strCompCode, QStringLiteral("1"));

        const QString company = Settings().cnCompany;
        QCOMPARE(
            queryRows(company, QStringLiteral("select Col02, COL03, Col04, Col07, Col08 from STEMP4 order by Col01")),
            (QStringList{"INV/1|2014-07-11|Copper wire|500|10.4",
                         "INV/2|2014-08-02|Brass \"rods\" & fittings|1234567.89|0.05"}));
        QCOMPARE(queryRows(company, QStringLiteral("select Col10, Col12 from PTEMP5")),
                 QStringList{"AAACX9999QXD001|2014-06-02"});
    }

    void silentServerFailsSoon_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("why");
        QTest::newRow("data source") << QStringLiteral("QV-SILENT-SERVER") << QStringLiteral("timeout expired");
        QTest::newRow("FreeTDS") << QStringLiteral("127.0.0.1,%1").arg(m_silent.port)
                                 << QStringLiteral("the server does not answer");
        QTest::newRow("nobody there") << QStringLiteral("127.0.0.1,1") << QStringLiteral("Unable to connect");
    }

    // A server that does not answer gives a clear error within seconds.
    void silentServerFailsSoon()
    {
        QFETCH(QString, server);
        QFETCH(QString, why);
        QString error;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!OpenSqlServerConnection(QStringLiteral("silent"), server, QStringLiteral("nKolvSet"), &error));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(
            error.startsWith(QStringLiteral("Cannot connect to the database nKolvSet on the server %1:").arg(server)),
            qPrintable(error));
        QVERIFY2(error.contains(why), qPrintable(error));
        QVERIFY2(elapsed < 15000, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("silent")));
    }
};

QV_REGISTER_TEST(DatabaseModeTest)
#include "DatabaseModePosix_test.moc"
