#include "SqliteTemp.h"

#include <QFileInfo>

// SQLite's Unix file layer: the first of these that is a folder it may write
// and enter.
QString SqliteTemporaryFolder()
{
    const QString candidates[] = {qEnvironmentVariable("SQLITE_TMPDIR"), qEnvironmentVariable("TMPDIR"),
                                  QStringLiteral("/var/tmp"), QStringLiteral("/usr/tmp"), QStringLiteral("/tmp")};
    for (const QString &folder : candidates) {
        const QFileInfo info(folder);
        if (!folder.isEmpty() && info.isDir() && info.isWritable() && info.isExecutable())
            return folder;
    }
    return QStringLiteral(".");
}
