#include "CliRun.h"
#include "TestRegistry.h"

#include <QDir>
#include <QTest>

#include <csignal>

namespace {
const QStringList kExport{"export",          "--company", "1",    "--period",  "14041503", "--registration",
                          "AAACB1234CXM001", "--year",    "2014", "--quarter", "Apr-Jun"};
const QStringList kCheck{"check", "--company", "1", "--period", "14041503"};

// `args` run and sent Ctrl+C after `delayMs`.
Run interruptedRun(const QString &app, const QStringList &args, int delayMs)
{
    QProcess p;
    p.start(kCli, QStringList{"--app-dir", app} + args);
    Run r;
    if (!p.waitForStarted())
        return r;
    QTest::qWait(delayMs);
    if (p.state() == QProcess::Running)
        ::kill(pid_t(p.processId()), SIGINT);
    if ((p.state() != QProcess::NotRunning && !p.waitForFinished(60000)) || p.exitStatus() != QProcess::NormalExit)
        return r; // -1: hung or killed by the signal
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
} // namespace

// Ctrl+C to a real quorvant-cli at several moments of a generated quarter.
class CliCancelTest : public QObject
{
    Q_OBJECT

    QTemporaryDir scratch;
    QString app;

private slots:
    void initTestCase()
    {
        app = scratch.path() + QStringLiteral("/app");
        QCOMPARE(QProcess::execute("python3", {QV_SOURCE_DIR "/bench/make_quarter.py", "--rows", "30000", "--out", app,
                                               "--schema", schemaPath()}),
                 0);
    }

    void interrupted_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("export") << kExport
                                << "The export was cancelled: no return was written, an earlier one stays as it was.";
        QTest::newRow("check") << kCheck << "The data check was cancelled.";
    }

    void interrupted()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString folder = app + QStringLiteral("/ACES/001");
        const int uninterrupted = cli(app, args).exitCode;
        int cancelled = 0;
        for (int delay : {200, 450, 700}) {
            // An earlier return of the name the run takes (the name changes once a minute).
            while (QTime::currentTime().second() > 55)
                QTest::qWait(500);
            QDir(folder).removeRecursively();
            const Run first = cli(app, kExport);
            QCOMPARE(first.exitCode, 0);
            const QString earlier = first.out.trimmed();
            const QByteArray earlierText = readAll(earlier);

            const Run r = interruptedRun(app, args + QStringList{"--quiet"}, delay);
            QVERIFY2(r.exitCode == 130 || r.exitCode == uninterrupted, qPrintable(QString::number(r.exitCode) + r.err));
            if (r.exitCode == 130) {
                ++cancelled;
                QCOMPARE(r.err, message + '\n'); // no progress, one line
                QCOMPARE(r.out, QString());
            }
            QCOMPARE(readAll(earlier), earlierText);
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(earlier).fileName()});
        }
        QVERIFY(cancelled > 0);
        QCOMPARE(cli(app, args).exitCode, uninterrupted); // the next run works
    }
};

QV_REGISTER_TEST(CliCancelTest)
#include "Progress_test.moc"
