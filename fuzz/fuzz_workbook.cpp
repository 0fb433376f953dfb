// Feeds arbitrary bytes to the workbook reader as an .xls file: the container,
// the workbook globals, every sheet's titles and the first rows of cells.
#include "tariff/WorkbookReader.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    WorkbookReader reader;
    if (!reader.openData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("fuzz.xls")))
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
