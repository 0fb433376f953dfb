#pragma once

// The built programs run as a user runs them, and the surroundings the
// command-line tests make for them: a small file system of their own, a FIFO,
// a copy of the tool installed elsewhere.

#include "TestHelpers.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

inline const QString kCli = QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli" QV_EXE_SUFFIX);

// Without QUORVANT_HOME and with a settings folder of its own; standard output
// to `outFile` if named. A program still running after two minutes (say,
// blocked on a FIFO) is killed and gives the exit code -1.
inline Run run(const QStringList &args, const QString &program = kCli, const QString &outFile = {})
{
    static QTemporaryDir settings;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUORVANT_HOME"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    if (!outFile.isEmpty())
        p.setStandardOutputFile(outFile);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
#ifdef Q_OS_WIN
    // The desktop program writes its few lines in the console's text mode.
    if (!program.contains(QLatin1String("quorvant-cli"))) {
        r.out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        r.err.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
#endif
    return r;
}

inline Run cli(const QString &app, const QStringList &args, const QString &program = kCli)
{
    return run(QStringList{QStringLiteral("--app-dir"), app} + args, program);
}

inline bool succeeds(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished() && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Only root can mount; elsewhere the tests that need it are skipped.
inline bool mountTmpfs(const QString &folder, const QString &options)
{
    return succeeds(QStringLiteral("mount"), {"-t", "tmpfs", "-o", options, "tmpfs", folder});
}

inline void unmount(const QString &folder)
{
    succeeds(QStringLiteral("umount"), {"-l", folder});
}

inline QByteArray readAll(const QString &path)
{
    return bytesOf(path);
}

// Runs `sql` on the tariff master of the application folder `app`.
inline bool onMaster(const QString &app, const QString &sql)
{
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("master"));
        db.setDatabaseName(app + QStringLiteral("/Data/db.sqlite"));
        done = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("master"));
    return done;
}

// Empty when the workbook agrees cell by cell with the return and with the
// summary of company 1's 2014-15 period (tests/reports/check_workbook.py).
inline QString workbookDisagrees(const QString &app, const QString &workbook, const QString &returnPath)
{
#ifdef Q_OS_WIN
    qInfo("%s is not checked: under Wine a test cannot wait for python3", qPrintable(workbook));
    return QString();
#endif
    const QString csv = app + QStringLiteral("/summary.csv");
    const Run summary = cli(app, {"summary", "--company", "1", "--period", "14041503", "--format", "csv"});
    if (!writeBytes(csv, summary.out.toUtf8()))
        return QStringLiteral("the summary could not be written: ") + summary.err;
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(QV_SOURCE_DIR "/tests/reports/check_workbook.py"), workbook, returnPath, csv});
    return python.waitForFinished(120000) && python.exitCode() == 0
               ? QString()
               : QString::fromUtf8(python.readAll() + python.readAllStandardError());
}

// A return's name changes once a minute: runs meant to share one start at
// least `seconds` before the minute turns.
inline void awayFromMinuteTurn(int seconds)
{
    while (QTime::currentTime().second() > 59 - seconds)
        QTest::qWait(500);
}

// quorvant-cli copied into `folder`, as an installation puts it there.
inline QString installedCopy(const QString &folder)
{
    const QString program = folder + QStringLiteral("/quorvant-cli");
    QFile::copy(kCli, program);
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    return program;
}
