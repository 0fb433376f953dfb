// dBase/FoxPro tables through the reader the FoxPro data mode uses. The
// reader works on files, so each input is written to a table in a folder of
// its own first.
#include "FuzzSql.h"
#include "sources/DbfSqlite.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("fuzz.dbf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
        sqlite3_close(db);
        return 0;
    }
    QString error;
    if (RegisterDbfModule(db, &error) && AttachDbfFolder(db, folder.path(), &error))
        ReadEveryTable(db);
    sqlite3_close(db);
    return 0;
}
