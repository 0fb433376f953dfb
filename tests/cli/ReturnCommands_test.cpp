#include "TableBytes.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run cli(const QString &app, const QStringList &args,
        const QString &program = QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli"))
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(QStringList{QStringLiteral("--app-dir"), app} + args);
    p.start();
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kExport{"export",          "--company", "1",    "--period",  "14041503", "--registration",
                          "AAACB1234CXM001", "--year",    "2014", "--quarter", "Apr-Jun"};

// The file name changes once a minute: two exports meant to share one must
// not straddle a minute's turn.
void awayFromMinuteTurn(int seconds)
{
    while (QTime::currentTime().second() > 59 - seconds)
        QTest::qWait(500);
}

// Runs as root can mount; elsewhere the tests that need it are skipped.
bool mountTmpfs(const QString &folder, const QString &options)
{
    return QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", options, "tmpfs", folder}) == 0;
}

// Deletes the rows `where` picks from the tariff master of the application folder `app`.
bool deleteFromMaster(const QString &app, const QString &where)
{
    bool deleted = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("master"));
        db.setDatabaseName(app + QStringLiteral("/Data/db.sqlite"));
        deleted = db.open() && QSqlQuery(db).exec(QStringLiteral("DELETE FROM Import WHERE ") + where);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("master"));
    return deleted;
}

void unmount(const QString &folder)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("umount"), {"-l", folder});
    p.waitForFinished();
}
} // namespace

// An earlier return of the same name survives whatever happens to the next
// export: a kill part-way, bad data, a full disk. Run on a generated quarter
// large enough that the export takes a while.
class ReturnFileSafetyTest : public QObject
{
    Q_OBJECT

    QTemporaryDir scratch;
    QString app;
    QString first; // the valid return of the first export
    QByteArray firstText;
    QByteArray master; // the generated tariff master, put back before each case

    QString folder() const { return app + QStringLiteral("/ACES/001"); }

    QStringList filesBesideTheReturn() const
    {
        QStringList names = QDir(folder()).entryList(QDir::Files);
        names.removeOne(QFileInfo(first).fileName());
        return names;
    }

    // The first export of a minute; the next one in that minute targets the same name.
    bool exportFirst()
    {
        awayFromMinuteTurn(15);
        const Run r = cli(app, kExport);
        first = r.out.trimmed();
        firstText = readAll(first);
        return r.exitCode == 0 && !firstText.isEmpty();
    }

private slots:
    void initTestCase()
    {
        app = scratch.path() + QStringLiteral("/app");
        const int made =
            QProcess::execute(QStringLiteral("python3"), {QStringLiteral(QV_SOURCE_DIR "/bench/make_quarter.py"),
                                                          "--rows", "30000", "--out", app, "--schema", schema()});
        QCOMPARE(made, 0);
        master = readAll(app + QStringLiteral("/Data/db.sqlite"));
        QVERIFY(!master.isEmpty());
    }

    void init()
    {
        QFile db(app + QStringLiteral("/Data/db.sqlite"));
        QVERIFY(db.open(QIODevice::WriteOnly) && db.write(master) == master.size());
        db.close();
        QDir(folder()).removeRecursively();
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(exportFirst());
    }

    void killedPartWay()
    {
        int killedRunning = 0;
        for (int delay : {100, 300, 600, 900}) {
            awayFromMinuteTurn(5);
            QProcess p;
            p.start(QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli"), QStringList{"--app-dir", app} + kExport);
            QVERIFY(p.waitForStarted());
            QTest::qWait(delay);
            if (p.state() == QProcess::Running) {
                ::kill(pid_t(p.processId()), SIGKILL);
                ++killedRunning;
            }
            QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
            QCOMPARE(readAll(first), firstText);
            for (const QString &name : filesBesideTheReturn())
                QVERIFY2(name.endsWith(QLatin1String(".partial")), qPrintable(name));
        }
        QVERIFY(killedRunning > 0);
    }

    void failsOnData()
    {
        // A tariff number the master no longer holds ends the second document part-way.
        QVERIFY(deleteFromMaster(app, QStringLiteral("1")));
        awayFromMinuteTurn(5);
        const Run r = cli(app, kExport);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.contains(QStringLiteral("Chapter No. does not exits in Master ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Load XML failed: ")), qPrintable(r.err));
        QVERIFY2(
            r.err.contains(QStringLiteral("What was written is kept as %1.rejected; it is not a return.").arg(first)),
            qPrintable(r.err));
        QCOMPARE(readAll(first), firstText);
        QCOMPARE(filesBesideTheReturn(), QStringList{QFileInfo(first).fileName() + QStringLiteral(".rejected")});
    }

    void diskFull()
    {
        // Room for one return and a bit: the second one cannot be written whole.
        if (!mountTmpfs(folder(), QStringLiteral("size=%1").arg(firstText.size() + firstText.size() / 2)))
            QSKIP("mounting a tmpfs is not permitted here");
        QFile copy(first);
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(firstText) == firstText.size());
        copy.close();
        awayFromMinuteTurn(5);
        const Run r = cli(app, kExport);
        const QByteArray after = readAll(first);
        const QStringList beside = filesBesideTheReturn();
        unmount(folder());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Could not write the file %1: No space left on device").arg(first)),
                 qPrintable(r.err));
        QCOMPARE(after, firstText);
        QCOMPARE(beside, QStringList());
    }

    void cleanup() { unmount(folder()); }
};

QV_REGISTER_TEST(ReturnFileSafetyTest)

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

    void exportWritesOneValidReturn()
    {
        const Run r =
            cli(home->app(), {"export", "--company", "001", "--period", "14041503", "--registration", "AAACB1234CXM001",
                              "--year", "2014", "--quarter", "Jul-Sep", "--remarks", "R&D <quarter>"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("File Export to XML and validated successfully")));
        const QString path = r.out.trimmed();
        QCOMPARE(r.out.count(QLatin1Char('\n')), 1);
        QVERIFY2(path.startsWith(home->app() + QStringLiteral("/ACES/001/AAACB1234CXM001_")), qPrintable(path));
        QCOMPARE(returnsWritten().size(), 1);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("<QUARTER>Jul-Sep</QUARTER>\r\n"));
        QVERIFY(text.contains("<REMARKS>R&amp;D &lt;quarter&gt;</REMARKS>\r\n"));
        QVERIFY(text.contains("<PLACE>MUMBAI</PLACE>\r\n"));

        const Run check = cli(home->app(), {QStringLiteral("validate"), path});
        QCOMPARE(check.exitCode, 0);
    }

    // Each command's result on the demo; no return is written by any of them.
    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("dropFromMaster");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // what standard error holds
        QTest::newRow("companies")
            << QStringList{"companies"} << false << 0
            << "001\tA & B TRADERS\n\t13041403\t01/04/2013\t31/03/2014\n\t14041503\t01/04/2014\t31/03/2015\n"
               "002\tSHREE GANESH METAL CORPORATION\n\t13041403\t01/04/2013\t31/03/2014\n"
               "\t14041503\t01/04/2014\t31/03/2015\n"
            << "";
        const QStringList demo{"check", "--company", "001", "--period", "14041503"};
        QTest::newRow("check, clean demo quarter")
            << demo << false << 0 << QString() << "No problems in 22 invoice lines and 12 supplier documents.\n";
        QTest::newRow("check, tariff gone from the master")
            << demo << true << 1
            << "STEMP4\t1\tINV/1\tCol05\t7408 1110\tChapter No. 74081110 is not in the tariff master\n"
               "STEMP4\t17\tINV/9\tCol05\t7408 1110\tChapter No. 74081110 is not in the tariff master\n"
            << "2 problems in 22 invoice lines and 12 supplier documents.\n";
        const QStringList base{"export", "--company", "1", "--period", "14041503"};
        QTest::newRow("bad registration")
            << base + QStringList{"--registration", "AAACB1234CXA001"} << false << 1 << QString()
            << "Invalid Registration Number= AAACB1234CXA001\nSupplier Name : ";
        QTest::newRow("unknown company") << QStringList{"export",         "--company",      "9", "--period", "14041503",
                                                        "--registration", "AAACB1234CXM001"}
                                         << false << 1 << QString() << "No company with the code 9";
        QTest::newRow("registration missing") << base << false << 2 << QString() << "--registration is required";
        QTest::newRow("quarter") << base + QStringList{"--registration", "AAACB1234CXM001", "--quarter", "Apr-Jul"}
                                 << false << 2 << QString()
                                 << "--quarter must be one of Apr-Jun, Jul-Sep, Oct-Dec, Jan-Mar";
        QTest::newRow("validate without a file")
            << QStringList{"validate"} << false << 2 << QString() << "one return file is needed";
    }

    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, dropFromMaster);
        QFETCH(QString, err);
        if (dropFromMaster)
            QVERIFY(deleteFromMaster(home->app(), QStringLiteral("TariffNo = '74081110'")));
        const Run r = cli(home->app(), args);
        QTEST(r.exitCode, "exitCode");
        QTEST(r.out, "out");
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QCOMPARE(returnsWritten(), QStringList());
    }

    // An installed program takes the schema from its data folder when the
    // application folder holds none, and the application folder's first.
    void schemaOfAnInstalledProgram()
    {
        QTemporaryDir prefix;
        QVERIFY(QDir().mkpath(prefix.path() + QStringLiteral("/bin")));
        QVERIFY(QDir().mkpath(prefix.path() + QStringLiteral("/share/quorvant")));
        const QString program = prefix.path() + QStringLiteral("/bin/quorvant-cli");
        QVERIFY(QFile::copy(QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli"), program));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        QVERIFY(QFile::copy(schema(), prefix.path() + QStringLiteral("/share/quorvant/ACES_DLR.xsd")));
        QVERIFY(QFile::remove(home->app() + QStringLiteral("/ACES_DLR.xsd")));
        const Run installed = cli(home->app(), kExport, program);
        QVERIFY2(installed.exitCode == 0, qPrintable(installed.err));

        home->writeFile(QStringLiteral("ACES_DLR.xsd"), QByteArray("<not a schema"));
        const Run own = cli(home->app(), {"validate", home->app() + "/ACES/001/" + returnsWritten().first()}, program);
        QCOMPARE(own.exitCode, 1);
        QVERIFY2(own.err.startsWith(QStringLiteral("Load XSD failed: ")), qPrintable(own.err));
    }

    // A table the reader cannot read: its own reason, not the query's.
    void damagedTable()
    {
        home->writeFile(QStringLiteral("stemp4.DBF"), QByteArray("\x03\x72\x01\x01\xff\xff\xff\x7f", 8));
        for (const QStringList &args : {kExport, QStringList{"check", "--company", "1", "--period", "14041503"}}) {
            const Run r = cli(home->app(), args);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.startsWith(QStringLiteral("stemp4.DBF is damaged: ")), qPrintable(r.err));
            QVERIFY2(!r.err.contains(QStringLiteral("no such column")), qPrintable(r.err));
        }
        QCOMPARE(returnsWritten(), QStringList());
    }

    // A numeric field that holds no number is damaged data: the check lists
    // it, the export names it and writes no return; never read as 26 or 0.
    void numericFieldHoldingNoNumber()
    {
        TableBytes table(home->app() + QStringLiteral("/stemp4.DBF"));
        table.setField(0, "col07", "**********");
        table.setField(1, "col08", "0x1A");
        QVERIFY(table.write(home->app() + QStringLiteral("/stemp4.DBF")));
        const Run check = cli(home->app(), {"check", "--company", "1", "--period", "14041503"});
        QCOMPARE(check.exitCode, 1);
        QCOMPARE(check.out,
                 QStringLiteral("STEMP4\t1\tINV/1\tCol07\t**********\tNot a number: the numeric field is damaged\n"
                                "STEMP4\t2\tINV/2\tCol08\t0x1A\tNot a number: the numeric field is damaged\n"));
        const Run exported = cli(home->app(), kExport);
        QCOMPARE(exported.exitCode, 1);
        QVERIFY2(
            exported.err.contains(QStringLiteral(
                "Not a number (**********) in table STEMP4, SL-NO 1, column Col07: the numeric field is damaged\n")),
            qPrintable(exported.err));
        QVERIFY(returnsWritten().first().endsWith(QLatin1String(".rejected")));
    }

    // A FIFO where a file is read would block for ever; it is refused at once.
    void specialFiles()
    {
        const QString xsd = home->app() + QStringLiteral("/ACES_DLR.xsd");
        const QString fifo = home->app() + QStringLiteral("/return.xml");
        QVERIFY(QFile::remove(xsd));
        QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {xsd, fifo}), 0);
        const Run exported = cli(home->app(), kExport);
        QCOMPARE(exported.exitCode, 1);
        QVERIFY2(exported.err.contains(QStringLiteral("Load XSD failed: %1 is not a regular file").arg(xsd)),
                 qPrintable(exported.err));
        QCOMPARE(returnsWritten().size(), 1); // kept as .rejected
        QVERIFY(returnsWritten().first().endsWith(QLatin1String(".xml.rejected")));

        const Run validated =
            cli(home->app(), {QStringLiteral("validate"), fifo, QStringLiteral("--schema"), schema()});
        QCOMPARE(validated.exitCode, 1);
        QVERIFY2(validated.err.startsWith(QStringLiteral("Load XML failed: %1 is not a regular file").arg(fifo)),
                 qPrintable(validated.err));
    }
};

QV_REGISTER_TEST(ReturnCommandsTest)
#include "ReturnCommands_test.moc"
