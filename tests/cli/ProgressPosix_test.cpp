#include "CliRun.h"
#include "TestRegistry.h"

#include <QDir>
#include <QTest>

#include <csignal>

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
        QVERIFY(makeQuarter(app));
    }

    void interrupted_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("export") << "export"
                                << "The export was cancelled: no return was written, an earlier one stays as it was.";
        QTest::newRow("check") << "check"
                               << "The data check was cancelled.";
        QTest::newRow("summary") << "summary"
                                 << "The summary was cancelled.";
    }

    void interrupted()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        const QStringList args{command,          "--company",       "1",      "--period", "14041503",
                               "--registration", "AAACB1234CXM001", "--quiet"};
        const QStringList words = command == "export" ? args : args.mid(0, 5) << "--quiet";
        const QString folder = app + QStringLiteral("/ACES/001");
        const int uninterrupted = cli(app, words).exitCode;
        int cancelled = 0;
        for (int delay : {50, 200, 450}) {
            // An earlier return of the name the run takes (the name changes once a minute).
            awayFromMinuteTurn(4);
            QDir(folder).removeRecursively();
            const QString earlier = cli(app, QStringList{"export"} + args.mid(1, 6)).out.trimmed();
            const QByteArray earlierText = readAll(earlier);

            QProcess p;
            p.start(kCli, QStringList{"--app-dir", app} + words);
            QVERIFY(p.waitForStarted());
            QTest::qWait(delay);
            if (p.state() == QProcess::Running)
                ::kill(pid_t(p.processId()), SIGINT);
            QVERIFY(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            const QString err = QString::fromUtf8(p.readAllStandardError());
            QVERIFY2(p.exitCode() == 130 || p.exitCode() == uninterrupted, qPrintable(err));
            if (p.exitCode() == 130) {
                ++cancelled;
                QVERIFY2(err.endsWith(message + '\n') && !err.contains(" of 30000"), qPrintable(err)); // no progress
            }
            QVERIFY(!earlierText.isEmpty() && readAll(earlier) == earlierText);
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(earlier).fileName()});
        }
        QVERIFY(cancelled > 0);
        QCOMPARE(cli(app, words).exitCode, uninterrupted); // the next run works
    }
};

QV_REGISTER_TEST(CliCancelTest)
#include "ProgressPosix_test.moc"
