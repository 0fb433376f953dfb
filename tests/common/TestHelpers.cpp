#include "TestHelpers.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/RememberedEntries.h"
#include "app/UserInterface.h"
#include "context/CompanySelection.h"
#include "context/Startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

TestHome::TestHome()
    : m_oldHome(qgetenv("QUORVANT_HOME"))
    , m_oldSystem(qgetenv("QUORVANT_SYSTEM_DIR"))
{
    qputenv("QUORVANT_HOME", m_app.path().toLocal8Bit());
    qputenv("QUORVANT_SYSTEM_DIR", m_system.path().toLocal8Bit());
    SetAppFolderOverride(QString());
    ResetSettings();
    // An application folder holds a tariff master (here an empty one) once it was imported.
    QString error;
    CreateProgramDatabase(QStringLiteral("testhome"), ProgramDatabasePath(m_app.path()), &error);
    CloseConnection(QStringLiteral("testhome"));
}

TestHome::~TestHome()
{
    ForgetRememberedEntries(); // the user ID of one test's login is not the next one's
    qputenv("QUORVANT_HOME", m_oldHome);
    qputenv("QUORVANT_SYSTEM_DIR", m_oldSystem);
}

static QString writeInto(const QString &root, const QString &relativePath, const QByteArray &content)
{
    const QString path = QDir(root).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeBytes(path, content);
    return path;
}

QString TestHome::writeFile(const QString &relativePath, const QByteArray &content) const
{
    return writeInto(app(), relativePath, content);
}

QString TestHome::systemFile(const QString &name, const QByteArray &content) const
{
    return writeInto(system(), name, content);
}

QString fixturePath(const QString &relative)
{
    const QString root = QStringLiteral(QV_FIXTURE_DIR);
    return relative.isEmpty() ? root : QDir(root).filePath(relative);
}

static bool copyTree(const QString &from, const QString &to)
{
    QDir source(from);
    if (!source.exists() || !QDir().mkpath(to))
        return false;
    const QFileInfoList entries = source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &e : entries) {
        const QString target = QDir(to).filePath(e.fileName());
        if (!e.isDir())
            QFile::remove(target); // the demo's own tariff master replaces the empty one
        if (e.isDir() ? !copyTree(e.filePath(), target) : !QFile::copy(e.filePath(), target))
            return false;
    }
    return true;
}

bool copyDemoInto(const TestHome &home)
{
    return copyTree(QStringLiteral(QV_SOURCE_DIR) + QStringLiteral("/data/demo"), home.app());
}

#ifdef Q_OS_WIN
// There the format stored is the user's own setting, which nothing clears: the
// tests put back the one they found.
static const QString g_foundShortDateFormat = ShortDateFormat();
#endif

void ClearStoredShortDateFormat()
{
#ifdef Q_OS_WIN
    StoreShortDateFormat(g_foundShortDateFormat);
#else
    StoreShortDateFormat(QString());
#endif
}

void FixedClock::set(const QDateTime &moment)
{
    Clock::setSource([moment] { return moment; });
}

bool openFirstCompany(int period, QString *error)
{
    StartupFailure startup;
    QList<CompanyEntry> companies;
    QList<PeriodEntry> periods;
    SelectionFailure failure;
    if (!OpenStartupConnections(&startup) || !ListCompanies(&companies, &failure) || companies.isEmpty()
        || !ListPeriods(companies[0].code, &periods, &failure) || periods.size() <= period
        || !SelectCompany(companies[0].code, companies[0].name, periods[period], &failure)) {
        *error = startup.description + failure.description + QStringLiteral(" (no company or period to choose?)");
        return false;
    }
    return true;
}

bool openDemoCompany(const TestHome &home, QString *error)
{
    if (copyDemoInto(home))
        return openFirstCompany(1, error);
    *error = QStringLiteral("The demo could not be copied.");
    return false;
}

void closeAllConnections()
{
    for (const QString &name : QSqlDatabase::connectionNames())
        CloseConnection(name);
}

void FixedClock::reset()
{
    Clock::setSource({});
}

bool DemoDesktop::open(QString *error)
{
    if (!openDemoCompany(home, error))
        return false;
    InstallUserInterface(&rec);
    return true;
}

DemoDesktop::~DemoDesktop()
{
    InstallUserInterface(nullptr);
    closeAllConnections();
    ResetSettings();
}
