#include "TestHelpers.h"
#include "TestRegistry.h"

#include "returns/SchemaValidation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run cli(const TestHome &home, const QStringList &args)
{
    QProcess p;
    p.setProgram(QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli"));
    p.setArguments(QStringList{QStringLiteral("--app-dir"), home.app()} + args);
    p.start();
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString schema()
{
    return QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd");
}
} // namespace

// The return commands of quorvant-cli on the demo company, run as a user runs them.
class ReturnCommandsTest : public QObject
{
    Q_OBJECT

    TestHome *home = nullptr;

    QStringList returnsWritten() const
    {
        return QDir(home->app() + QStringLiteral("/ACES/001")).entryList(QDir::Files);
    }

private slots:
    void init()
    {
        home = new TestHome;
        QVERIFY(copyDemoInto(*home));
        QVERIFY(QFile::copy(schema(), home->app() + QStringLiteral("/ACES_DLR.xsd")));
    }

    void cleanup()
    {
        delete home;
        home = nullptr;
    }

    void companies()
    {
        const Run r = cli(*home, {QStringLiteral("companies")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
                 QStringLiteral("001\tA & B TRADERS\n\t13041403\t01/04/2013\t31/03/2014\n\t14041503\t01/04/2014\t31/03/2015\n"
                                "002\tSHREE GANESH METAL CORPORATION\n\t13041403\t01/04/2013\t31/03/2014\n"
                                "\t14041503\t01/04/2014\t31/03/2015\n"));
    }

    void exportWritesOneValidReturn()
    {
        const Run r = cli(*home, {QStringLiteral("export"), QStringLiteral("--company"), QStringLiteral("001"),
                                  QStringLiteral("--period"), QStringLiteral("14041503"), QStringLiteral("--registration"),
                                  QStringLiteral("AAACB1234CXM001"), QStringLiteral("--year"), QStringLiteral("2014"),
                                  QStringLiteral("--quarter"), QStringLiteral("Jul-Sep"), QStringLiteral("--remarks"),
                                  QStringLiteral("R&D <quarter>")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("File Export to XML and validated successfully")));
        const QString path = r.out.trimmed();
        QCOMPARE(r.out.count(QLatin1Char('\n')), 1);
        QVERIFY2(path.startsWith(home->app() + QStringLiteral("/ACES/001/AAACB1234CXM001_")), qPrintable(path));
        QCOMPARE(returnsWritten().size(), 1);
        QString reason;
        QVERIFY2(ValidateXmlFile(path, schema(), &reason), qPrintable(reason));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("<QUARTER>Jul-Sep</QUARTER>\r\n"));
        QVERIFY(text.contains("<REMARKS>R&amp;D &lt;quarter&gt;</REMARKS>\r\n"));
        QVERIFY(text.contains("<PLACE>MUMBAI</PLACE>\r\n"));

        const Run check = cli(*home, {QStringLiteral("validate"), path});
        QCOMPARE(check.exitCode, 0);
    }

    void check_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("dropFromMaster");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QStringList demo{"check", "--company", "001", "--period", "14041503"};
        QTest::newRow("clean demo quarter") << demo << false << 0 << QString()
                                            << "No problems in 22 invoice lines and 12 supplier documents.\n";
        QTest::newRow("tariff gone from the master")
            << demo << true << 1
            << "STEMP4\t1\tINV/1\tCol05\t7408 1110\tChapter No. 74081110 is not in the tariff master\n"
               "STEMP4\t17\tINV/9\tCol05\t7408 1110\tChapter No. 74081110 is not in the tariff master\n"
            << "2 problems in 22 invoice lines and 12 supplier documents.\n";
        QTest::newRow("no period") << QStringList{"check", "--company", "001"} << false << 2 << QString()
                                   << "--period is required\n";
    }

    void check()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, dropFromMaster);
        QFETCH(QString, err);
        if (dropFromMaster) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("master"));
            db.setDatabaseName(home->app() + QStringLiteral("/Data/db.sqlite"));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("DELETE FROM Import WHERE TariffNo = '74081110'")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("master"));
        const Run r = cli(*home, args);
        QTEST(r.exitCode, "exitCode");
        QTEST(r.out, "out");
        QVERIFY2(r.err.startsWith(err), qPrintable(r.err));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QStringList base{QStringLiteral("export"), QStringLiteral("--company"), QStringLiteral("1"),
                               QStringLiteral("--period"), QStringLiteral("14041503")};
        QTest::newRow("bad registration") << base + QStringList{"--registration", "AAACB1234CXA001"} << 1
                                          << "Invalid Registration Number= AAACB1234CXA001\nSupplier Name : ";
        QTest::newRow("unknown company") << QStringList{"export", "--company", "9", "--period", "14041503",
                                                        "--registration", "AAACB1234CXM001"}
                                         << 1 << "No company with the code 9";
        QTest::newRow("registration missing") << base << 2 << "--registration is required";
        QTest::newRow("quarter") << base + QStringList{"--registration", "AAACB1234CXM001", "--quarter", "Apr-Jul"} << 2
                                 << "--quarter must be one of Apr-Jun, Jul-Sep, Oct-Dec, Jan-Mar";
        QTest::newRow("validate without a file") << QStringList{"validate"} << 2 << "one return file is needed";
        QTest::newRow("validate a broken return")
            << QStringList{"validate", fixturePath(QStringLiteral("returns/bad/unescaped-ampersand.xml"))} << 1
            << "Load XML failed: xmlParseEntityRef: no name";
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run r = cli(*home, args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(returnsWritten(), QStringList());
    }
};

QV_REGISTER_TEST(ReturnCommandsTest)
#include "ReturnCommands_test.moc"
