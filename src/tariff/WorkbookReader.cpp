#include "WorkbookReader.h"

#include "CompoundFile.h"
#include "app/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {
QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// More than any Excel 97-2003 workbook holds; a larger file is not read into memory.
constexpr qint64 kLargestWorkbook = qint64(1) << 30;
} // namespace

QString ListedSheetName(const QString &sheetName)
{
    if (!sheetName.contains(QLatin1Char(' ')) && !sheetName.contains(QLatin1Char('\'')))
        return sheetName + QLatin1Char('$');
    QString quoted = sheetName;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QStringLiteral("$'");
}

bool ListWorkbookSheets(const QString &path, QStringList *names, QString *error)
{
    WorkbookReader reader;
    if (!reader.open(path)) {
        names->clear();
        *error = reader.errorString();
        return false;
    }
    *names = reader.sheetNames();
    return true;
}

WorkbookReader::~WorkbookReader()
{
    close();
}

bool WorkbookReader::open(const QString &path)
{
    close();
    m_path = path;
    QFile file;
    if (!QFileInfo::exists(path)) {
        m_error = QStringLiteral("The file %1 does not exist.").arg(nativePath(path));
        return false;
    }
    // Never a FIFO or a device: opening or reading one could wait for ever.
    QString error;
    if (!OpenRegularFile(&file, path, &error)) {
        // The system's reason keeps this reader's own wording; "not a regular file" stands alone.
        const QString prefix = nativePath(path) + QStringLiteral(" cannot be opened: ");
        if (error.startsWith(prefix))
            return cannotRead(error.mid(prefix.size()));
        m_error = error;
        return false;
    }
    if (file.size() > kLargestWorkbook)
        return cannotRead(QStringLiteral("the file is too large for an Excel 97-2003 workbook"));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return cannotRead(file.errorString());
    return openData(data, path);
}

bool WorkbookReader::cannotRead(const QString &reason)
{
    m_error = QStringLiteral("Cannot read the workbook %1: %2").arg(nativePath(m_path), reason);
    return false;
}

bool WorkbookReader::openData(const QByteArray &data, const QString &path)
{
    close();
    m_path = path;
    CompoundFile container;
    QByteArray stream;
    if (!container.open(data) || !container.readStream({QStringLiteral("Workbook"), QStringLiteral("Book")}, &stream))
        return cannotRead(container.error());
    if (!m_book.open(stream))
        return cannotRead(m_book.error());
    if (m_book.encrypted())
        return cannotRead(QStringLiteral("it is protected with a password."));
    for (const QString &name : m_book.sheetNames())
        m_listedNames << ListedSheetName(name);
    for (const BiffWorkbook::NamedRange &range : m_book.namedRanges())
        m_listedNames << range.name;
    m_open = true;
    return true;
}

void WorkbookReader::close()
{
    m_open = false;
    m_book = BiffWorkbook();
    m_cells = SheetCells();
    m_listedNames.clear();
    m_titles.clear();
    m_titleRow = m_firstColumn = m_columnCount = 0;
    m_rowCount = 0;
    m_error.clear();
}

bool WorkbookReader::selectSheet(const QString &listedName)
{
    m_titles.clear();
    m_cells = SheetCells();
    m_rowCount = 0;
    m_titleRow = m_firstColumn = m_columnCount = 0;
    if (!m_open) {
        m_error = QStringLiteral("No workbook is open.");
        return false;
    }
    qsizetype index = m_listedNames.indexOf(listedName);
    for (qsizetype i = 0; index < 0 && i < m_listedNames.size(); ++i) {
        if (m_listedNames.at(i).compare(listedName, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0) {
        m_error =
            QStringLiteral("The workbook %1 has no sheet named %2.").arg(QFileInfo(m_path).fileName(), listedName);
        return false;
    }
    const qsizetype sheets = m_book.sheetNames().size();
    const QList<BiffWorkbook::NamedRange> ranges = m_book.namedRanges();
    const BiffWorkbook::NamedRange range = index < sheets ? BiffWorkbook::NamedRange() : ranges.at(index - sheets);
    if (!m_book.readSheet(index < sheets ? int(index) : range.sheet, &m_cells)) {
        m_error = QStringLiteral("Cannot read the sheet %1: %2").arg(listedName, m_book.error());
        return false;
    }
    if (index < sheets) {
        if (m_cells.rows == 0)
            return true; // an empty sheet: no titles, no records
        // The titles stand in the first row that holds anything.
        m_titleRow = m_cells.firstRow;
        m_columnCount = m_cells.columns;
        m_rowCount = qint64(m_cells.rows) - m_titleRow - 1;
    } else {
        // A named block: its first row holds the titles; it reads no further
        // than the sheet's last row and column that hold a value.
        m_titleRow = range.firstRow;
        m_firstColumn = range.firstColumn;
        m_columnCount = qMax(0, qMin(range.lastColumn, m_cells.columns - 1) - range.firstColumn + 1);
        m_rowCount = qMax(0, qMin(range.lastRow, m_cells.rows - 1) - range.firstRow);
    }
    for (int c = 0; c < m_columnCount; ++c)
        m_titles << cell(m_titleRow, m_firstColumn + c).toString();
    return true;
}

int WorkbookReader::columnIndex(const QString &title) const
{
    for (qsizetype i = 0; i < m_titles.size(); ++i) {
        if (m_titles.at(i).compare(title, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QVariant WorkbookReader::value(qint64 row, int column) const
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= m_columnCount)
        return QVariant();
    return cell(int(m_titleRow + 1 + row), m_firstColumn + column);
}

QVariant WorkbookReader::cell(int row, int column) const
{
    const auto it = m_cells.text.constFind(CellKey(row, column));
    return it == m_cells.text.constEnd() ? QVariant() : QVariant(*it);
}
