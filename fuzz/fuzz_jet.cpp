// Access (Jet) files through the reader the Jet data mode uses.
#include "FuzzSql.h"
#include "sources/JetSqlite.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
        sqlite3_close(db);
        return 0;
    }
    QString error;
    const QByteArray image(reinterpret_cast<const char *>(data), qsizetype(size));
    if (AttachJetImage(db, image, QStringLiteral("fuzz.mdb"), &error))
        ReadEveryTable(db);
    sqlite3_close(db);
    return 0;
}
