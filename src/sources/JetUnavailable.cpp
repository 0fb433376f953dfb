#include "sources/DataConnections.h"
#include "sources/JetSqlite.h"

// A build without libmdb, which Windows builds lack while its source cannot be
// had: Access files are refused by name rather than failing obscurely.
namespace {
QString unreadable()
{
    return QStringLiteral("Access files cannot be read by this build of Quorvant.");
}
} // namespace

bool JetFilesReadable()
{
    return false;
}

bool AttachJetFile(sqlite3 *, const QString &, QString *error)
{
    *error = unreadable();
    return false;
}

bool AttachJetImage(sqlite3 *, const QByteArray &, const QString &, QString *error)
{
    *error = unreadable();
    return false;
}

bool OpenJetConnection(const QString &, const QString &, QString *error)
{
    *error = unreadable();
    return false;
}
