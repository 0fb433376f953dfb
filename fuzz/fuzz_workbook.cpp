// Feeds arbitrary bytes to the workbook reader as an .xls file: sheet listing,
// opening, every sheet's titles and the first rows of cells.
#include "tariff/WorkbookReader.h"

#include <QByteArray>
#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>

namespace {
// FreeXL reads only from a path, so every input goes through one scratch file.
QString scratchPath(const uint8_t *data, size_t size)
{
    static QTemporaryFile *file = [] {
        auto *f = new QTemporaryFile(QStringLiteral("/tmp/fuzz_workbook_XXXXXX.xls"));
        f->open();
        return f;
    }();
    file->resize(0);
    file->seek(0);
    file->write(reinterpret_cast<const char *>(data), qint64(size));
    file->flush();
    return file->fileName();
}
} // namespace

// FreeXL 1.0.6 leaks a few bytes on some broken files even when every handle is
// closed; that is the library's, not ours, and would stop every run.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfreexl.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = scratchPath(data, size);

    QStringList names;
    QString error;
    ListWorkbookSheets(path, &names, &error);

    WorkbookReader reader;
    if (!reader.open(path))
        return 0;
    for (const QString &sheet : reader.sheetNames()) {
        if (!reader.selectSheet(sheet))
            continue;
        const int tariff = reader.columnIndex(QStringLiteral("TariffNo"));
        const int unit = reader.columnIndex(QStringLiteral("Unit"));
        const int columns = int(qMin<qsizetype>(reader.columnTitles().size(), 64));
        const qint64 rows = qMin<qint64>(reader.rowCount(), 1000);
        for (qint64 r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                reader.value(r, c).toString();
            reader.value(r, tariff);
            reader.value(r, unit);
        }
    }
    // Names the workbook does not have must fail cleanly.
    reader.selectSheet(QStringLiteral("Sheet1"));
    reader.selectSheet(QString());
    return 0;
}
