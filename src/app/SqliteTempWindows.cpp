#include "SqliteTemp.h"

#include <QDir>

// SQLite's Windows file layer asks GetTempPathW, as Qt does.
QString SqliteTemporaryFolder()
{
    return QDir::toNativeSeparators(QDir::tempPath());
}
