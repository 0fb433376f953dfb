#include "TestHelpers.h"
#include "TestRegistry.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program of the build as a user would, without QUORVANT_HOME and
// with a settings folder of its own.
Result run(const QString &program, const QStringList &args, const QString &settings)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUORVANT_HOME"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

const QString kCli = QStringLiteral(QV_BINARY_DIR "/src/quorvant-cli");
const QString kDesktop = QStringLiteral(QV_BINARY_DIR "/src/quorvant");
} // namespace

// The conventions both programs keep: help and version on standard output
// with exit 0, usage errors on standard error with exit 2, and the
// application folder never guessed.
class CommandLineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir settings;
    TestHome *home = nullptr;

private slots:
    void init()
    {
        home = new TestHome;
        QVERIFY(copyDemoInto(*home));
    }

    void cleanup() { delete home; }

    void conventions_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // how standard output starts
        QTest::addColumn<QString>("err"); // how standard error starts
        QTest::newRow("help") << kCli << QStringList{"--help"} << 0 << "usage: quorvant-cli [--app-dir DIR] COMMAND"
                              << "";
        QTest::newRow("version") << kCli << QStringList{"--version"} << 0 << "quorvant-cli 1.0\n"
                                 << "";
        QTest::newRow("a command's help") << kCli << QStringList{"export", "--help"} << 0
                                          << "usage: quorvant-cli [--app-dir DIR] export --company CODE"
                                          << "";
        QTest::newRow("unknown option") << kCli << QStringList{"--colour"} << 2 << ""
                                        << "Unknown option 'colour'.\nusage: quorvant-cli";
        QTest::newRow("a command's unknown option")
            << kCli << QStringList{"--app-dir", "@", "check", "--colour"} << 2 << ""
            << "Unknown option 'colour'.\nusage: quorvant-cli check --company";
        QTest::newRow("missing value") << kCli << QStringList{"--app-dir", "@", "check", "--company"} << 2 << ""
                                       << "Missing value after '--company'.\nusage: quorvant-cli check";
        QTest::newRow("--app-dir only before the command")
            << kCli << QStringList{"--app-dir", "@", "check", "--company", "1", "--app-dir", "/tmp"} << 2 << ""
            << "Unknown option 'app-dir'.";
        QTest::newRow("no folder at all") << kCli << QStringList{"companies"} << 2 << ""
                                          << "No application folder: give one with --app-dir DIR or the environment "
                                             "variable QUORVANT_HOME\n";
        QTest::newRow("desktop help") << kDesktop << QStringList{"--help"} << 0 << "usage: quorvant [--app-dir DIR]"
                                      << "";
        QTest::newRow("desktop version") << kDesktop << QStringList{"--version"} << 0 << "quorvant 1.0\n"
                                         << "";
        QTest::newRow("desktop unknown option") << kDesktop << QStringList{"--colour"} << 2 << ""
                                                << "Unknown option 'colour'.\nusage: quorvant";
    }

    void conventions()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QString, err);
        args.replaceInStrings(QStringLiteral("@"), home->app());
        const Result r = run(program, args, settings.path());
        QTEST(r.exitCode, "exitCode");
        QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.startsWith(out), qPrintable(r.out));
        QString errors = r.err;
        errors.remove(QRegularExpression(QStringLiteral("QStandardPaths: [^\n]*\n"))); // the platform's own notes
        QVERIFY2(err.isEmpty() ? errors.isEmpty() : errors.startsWith(err), qPrintable(errors));
    }

    // As on the old platform: a program installed inside the accounting data
    // folder works there without being told.
    void ownFolderHoldingTheData()
    {
        const QString program = home->app() + QStringLiteral("/quorvant-cli");
        QVERIFY(QFile::copy(kCli, program));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        const Result r = run(program, {QStringLiteral("companies")}, settings.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("001\tA & B TRADERS\n")), qPrintable(r.out + r.err));
    }
};

QV_REGISTER_TEST(CommandLineTest)
#include "CommandLine_test.moc"
