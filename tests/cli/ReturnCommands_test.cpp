#include "CliRun.h"
#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QTest>

namespace {
const QStringList kExport{"export",          "--company", "1",    "--period",  "14041503", "--registration",
                          "AAACB1234CXM001", "--year",    "2014", "--quarter", "Apr-Jun"};
} // namespace

// An earlier return of the same name survives whatever happens to the next
// export: a kill part-way, Ctrl+C (as to the check and the summary), bad data,
// a full disk. Run on a generated quarter large enough that the export takes a while.
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

private slots:
    void initTestCase()
    {
        QV_SKIP_ON_WINDOWS("python3 writes the generated quarter, and under Wine a test cannot wait for it");
        app = scratch.path() + QStringLiteral("/app");
        QVERIFY(makeQuarter(app));
        master = readAll(app + QStringLiteral("/Data/db.sqlite"));
        QVERIFY(!master.isEmpty());
    }

    void init()
    {
        QVERIFY(writeBytes(app + QStringLiteral("/Data/db.sqlite"), master));
        QDir(folder()).removeRecursively();
        QVERIFY(QDir().mkpath(folder()));
        // The first export of a minute; the next one in that minute targets the same name.
        awayFromMinuteTurn(15);
        first = cli(app, kExport).out.trimmed();
        firstText = readAll(first);
        QVERIFY(!firstText.isEmpty());
    }

    // Killed (SIGKILL; TerminateProcess on Windows) or stopped with Ctrl+C at
    // several moments: the earlier return stays, a kill leaves at most staging
    // files, Ctrl+C nothing, exit 130 and its message without the progress
    // that --quiet keeps back.
    void interrupted_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message"); // empty: killed
        QTest::newRow("export, killed") << "export"
                                        << "";
        QTest::newRow("export, Ctrl+C")
            << "export"
            << "The export was cancelled: no return was written, an earlier one stays as it was.";
        QTest::newRow("check, Ctrl+C") << "check"
                                       << "The data check was cancelled.";
        QTest::newRow("summary, Ctrl+C") << "summary"
                                         << "The summary was cancelled.";
    }

    void interrupted()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        const QStringList args = QStringList{command} + (command == "export" ? kExport.mid(1) : kExport.mid(1, 4))
                                 << "--quiet";
        const int uninterrupted = cli(app, args).exitCode;
        int stopped = 0;
        for (int delay : {50, 200, 450, 900}) {
            awayFromMinuteTurn(5);
            QProcess p;
            p.start(kCli, QStringList{"--app-dir", app} + args);
            QVERIFY(p.waitForStarted());
            QTest::qWait(delay);
            if (p.state() == QProcess::Running && message.isEmpty())
                p.kill();
            else if (p.state() == QProcess::Running)
                QVERIFY(succeeds("kill", {"-INT", QString::number(p.processId())}));
            QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
            const QString err = QString::fromUtf8(p.readAllStandardError());
            const bool killed = p.exitStatus() == QProcess::CrashExit;
            const bool interrupted = killed || p.exitCode() == 130;
            QVERIFY2(killed        ? message.isEmpty()
                     : interrupted ? err.endsWith(message + '\n') && !err.contains(" of 30000")
                                   : p.exitCode() == uninterrupted,
                     qPrintable(err));
            stopped += interrupted;
            QCOMPARE(readAll(first), firstText);
            for (const QString &name : filesBesideTheReturn())
                QVERIFY2(killed && name.endsWith(QLatin1String(".partial")), qPrintable(name));
        }
        QVERIFY(stopped > 0);
    }

    // The next run in the folder removes what killed ones left (here a
    // workbook's), but not a staging file that a live process holds.
    void leftoversOfKilledRuns()
    {
        QProcess toXlsx;
        toXlsx.start(kCli, {"--app-dir", app, "to-xlsx", first});
        QVERIFY(toXlsx.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(toXlsx.state(), QProcess::Running);
        toXlsx.kill();
        QVERIFY(toXlsx.waitForFinished());
        QVERIFY(filesBesideTheReturn().filter(QStringLiteral(".xlsx.")).size() == 1);
        const QString held = folder() + QStringLiteral("/held.xml.abcd1234.partial");
        QProcess holder;
        holder.start(QStringLiteral("flock"), {held, "sleep", "120"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(QFile::exists(held));
        QTest::qWait(200); // the lock follows the file
        awayFromMinuteTurn(5);
        const Run next = cli(app, kExport);
        holder.kill();
        holder.waitForFinished();
        QCOMPARE(next.exitCode, 0);
        QCOMPARE(filesBesideTheReturn(), QStringList{QFileInfo(held).fileName()});
        // Said once it happened.
        QVERIFY2(
            next.err.contains(
                QStringLiteral("A return named %1 already existed; it is replaced.").arg(QFileInfo(first).fileName())),
            qPrintable(next.err));
    }

    // A later export that fails leaves the earlier return as it was, and says
    // why: a tariff number the master no longer holds ends the second document
    // part-way (kept as .rejected); a company folder with room for one return
    // and a bit; SQLite's temporary folder, where the large table is sorted, full.
    void earlierReturnStays_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("err"); // "FIRST" stands for the earlier return's path, "TMP" for the sort's folder
        QTest::addColumn<QStringList>("beside");
        QTest::newRow("data") << "empty master"
                              << "What was written is kept as FIRST.rejected; it is not a return."
                              << QStringList{"rejected"};
        QTest::newRow("disk full") << "small folder"
                                   << "Could not write the file FIRST: No space left on device" << QStringList();
        QTest::newRow("sort's folder full")
            << "small tmp"
            << "The disk that holds TMP, where the table is sorted, is full." << QStringList();
    }

    void earlierReturnStays()
    {
        QFETCH(QString, trouble);
        QFETCH(QString, err);
        QFETCH(QStringList, beside);
        const QString tmp = scratch.filePath(QStringLiteral("sort"));
        QStringList args = QStringList{kCli, "--app-dir", app} + kExport;
        if (trouble == "empty master")
            QVERIFY(onMaster(app, QStringLiteral("DELETE FROM Import")));
        if (trouble == "small folder") {
            if (!mountTmpfs(folder(), QStringLiteral("size=%1").arg(firstText.size() + firstText.size() / 2)))
                QSKIP("mounting a tmpfs is not permitted here");
            QVERIFY(writeBytes(first, firstText));
        }
        if (trouble == "small tmp") {
            if (!QDir().mkpath(tmp) || !mountTmpfs(tmp, QStringLiteral("size=64k")))
                QSKIP("mounting a tmpfs is not permitted here");
            args.prepend("SQLITE_TMPDIR=" + tmp);
        }
        awayFromMinuteTurn(5);
        const Run r = run(args, QStringLiteral("env"));
        const QByteArray after = readAll(first);
        const QStringList files = filesBesideTheReturn();
        unmount(trouble == "small tmp" ? tmp : folder());
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
        err.replace(QStringLiteral("FIRST"), first).replace(QStringLiteral("TMP"), tmp);
        QVERIFY2(r.err.contains(err) && !r.err.contains(QStringLiteral("replaced")), qPrintable(r.err));
        QCOMPARE(after, firstText);
        QCOMPARE(files, beside.replaceInStrings("rejected", QFileInfo(first).fileName() + ".rejected"));
    }

    // The workbook of the return where its disk fills up: it is refused, named
    // as such, with the library's own lines kept from the user, and nothing
    // left behind. The library's temporary files are beside the workbook (in
    // the small folder too), never in a /tmp that may be small.
    void workbookWithoutRoom_data()
    {
        QTest::addColumn<QString>("mount"); // the size of a tmpfs put on the company folder
        QTest::addColumn<bool>("withExport");
        QTest::addColumn<QString>("err");
        QTest::newRow("full while written") << "8m" << false << "is full (No space left on device).";
        QTest::newRow("a temporary file cut short") << "40m" << false << "probably ran full";
        QTest::newRow("export --xlsx, return in place") << "42m" << true << "only its workbook failed.";
    }

    void workbookWithoutRoom()
    {
        QFETCH(QString, mount);
        QFETCH(bool, withExport);
        QFETCH(QString, err);
        // The export fills the company folder; the workbook alone a folder of its own.
        const QString target = withExport ? folder() : folder() + QStringLiteral("/wb");
        const QString workbook =
            withExport ? first.chopped(3) + QStringLiteral("xlsx") : target + QStringLiteral("/w.xlsx");
        QVERIFY(QDir().mkpath(target));
        if (!mountTmpfs(target, QStringLiteral("size=") + mount))
            QSKIP("mounting a tmpfs is not permitted here");
        awayFromMinuteTurn(10);
        const Run r =
            cli(app, withExport ? kExport + QStringList{"--xlsx"} : QStringList{"to-xlsx", first, "--out", workbook});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(err) && r.err.contains(QStringLiteral("Could not write the workbook %1").arg(workbook)),
                 qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("[ERROR]")), qPrintable(r.err));
        QCOMPARE(QDir(target).entryList(QDir::Files),
                 withExport ? QStringList{QFileInfo(first).fileName()} : QStringList());
        QCOMPARE(cli(app, {"validate", first}).exitCode, 0);
    }

    void cleanup()
    {
        unmount(folder() + QStringLiteral("/wb"));
        unmount(folder());
    }
};

QV_REGISTER_TEST(ReturnFileSafetyTest)

#include "ReturnCommands_test.moc"
