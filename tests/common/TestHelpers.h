#pragma once

#include "RecordingUserInterface.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Windows has no FIFOs or tmpfs; and under Wine a test cannot wait for the
// Linux tools (python3, ln, dd) that make or check its files.
#ifdef Q_OS_WIN
#define QV_SKIP_ON_WINDOWS(why) QSKIP(why)
#else
#define QV_SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

// A fresh application folder (with an empty tariff master) and system folder
// for one test, pointed at by QUORVANT_HOME and QUORVANT_SYSTEM_DIR for as
// long as the object lives.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    QString app() const { return m_app.path(); }
    QString system() const { return m_system.path(); }
    QString writeFile(const QString &relativePath, const QByteArray &content) const;
    QString systemFile(const QString &name, const QByteArray &content) const;

private:
    QTemporaryDir m_app;
    QTemporaryDir m_system;
    QByteArray m_oldHome;
    QByteArray m_oldSystem;
};

// The folder of committed fixtures (tests/fixtures).
QString fixturePath(const QString &relative = QString());

inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QString schemaPath()
{
    return QStringLiteral(QV_SOURCE_DIR "/data/ACES_DLR.xsd");
}

// A quarter of `rows` invoice lines generated as the application folder `app` (bench/make_quarter.py).
inline bool makeQuarter(const QString &app, int rows = 30000)
{
    return QProcess::execute(QStringLiteral("python3"),
                             {QStringLiteral(QV_SOURCE_DIR "/bench/make_quarter.py"), "--rows", QString::number(rows),
                              "--out", app, "--schema", schemaPath()})
           == 0;
}

// Copies the demo application folder (data/demo) into `home`'s application folder.
bool copyDemoInto(const TestHome &home);

// The first company of the application folder chosen for its `period`-th
// period (from 0), as the login and the company selection leave it; false with `error`.
bool openFirstCompany(int period, QString *error);

// The demo copied into `home` and its company "001" chosen for its 2014-15 period.
bool openDemoCompany(const TestHome &home, QString *error);

// Closes every database connection a test opened.
void closeAllConnections();

// The demo company opened as the windows find it, with `rec` answering for
// them; gone again (interface, connections, settings) with this object.
struct DemoDesktop
{
    TestHome home;
    RecordingUserInterface rec;
    bool open(QString *error);
    ~DemoDesktop();
};

// Forgets the short-date format the user accepted, so the system's applies again.
void ClearStoredShortDateFormat();

// The program's clock stopped at one moment, for tests on a fixed day.
namespace FixedClock {
void set(const QDateTime &moment);
void reset();
} // namespace FixedClock
