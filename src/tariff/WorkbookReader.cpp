#include "WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <freexl.h>

#include <cmath>

namespace {
// FreeXL wants every handle closed, even after a failed open.
void closeHandle(const void *&handle)
{
    if (handle)
        freexl_close(handle);
    handle = nullptr;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString openError(const QString &path, int code)
{
    if (code == FREEXL_FILE_NOT_FOUND && !QFileInfo::exists(path))
        return QStringLiteral("The file %1 does not exist.").arg(nativePath(path));
    return QStringLiteral("Cannot read the workbook %1: %2").arg(nativePath(path), FreeXLErrorText(code));
}

bool readSheetNames(const void *handle, QStringList *names, int *code)
{
    unsigned int count = 0;
    *code = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
    if (*code != FREEXL_OK)
        return false;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char *name = nullptr;
        *code = freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name);
        if (*code != FREEXL_OK)
            return false;
        names->append(ListedSheetName(QString::fromUtf8(name ? name : "")));
    }
    return true;
}

// A workbook protected by a password opens, but its cells cannot be read.
bool isObfuscated(const void *handle)
{
    unsigned int password = 0;
    return freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
        && password == FREEXL_BIFF_OBFUSCATED;
}
} // namespace

QString ListedSheetName(const QString &sheetName)
{
    if (!sheetName.contains(QLatin1Char(' ')) && !sheetName.contains(QLatin1Char('\'')))
        return sheetName + QLatin1Char('$');
    QString quoted = sheetName;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QStringLiteral("$'");
}

QString NumberText(double value)
{
    // Integers up to 2^53 are exact in a double; beyond that the digits are noise.
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9007199254740992.0)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString FreeXLErrorText(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("the file does not exist or is not accessible for reading");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("not enough memory to read it");
    case FREEXL_INVALID_CFBF_HEADER:
        return QStringLiteral("the file does not contain a valid CFBF header; it is not an Excel 97-2003 workbook");
    case FREEXL_CFBF_READ_ERROR:
        return QStringLiteral("read error; the file is corrupt or not an Excel 97-2003 workbook");
    case FREEXL_CFBF_SEEK_ERROR:
        return QStringLiteral("seek error; the file is corrupt or not an Excel 97-2003 workbook");
    case FREEXL_CFBF_INVALID_SIGNATURE:
        return QStringLiteral("the CFBF header has an invalid signature");
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return QStringLiteral("the CFBF header has an invalid sector size");
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
        return QStringLiteral("the CFBF header has an empty FAT chain");
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
        return QStringLiteral("the file contains an invalid File Allocation Table record");
    case FREEXL_BIFF_INVALID_BOF:
        return QStringLiteral("the file contains an invalid BIFF format entry");
    case FREEXL_BIFF_INVALID_SST:
        return QStringLiteral("the file contains an invalid Shared String Table");
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return QStringLiteral("a Shared String Table entry is not available");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("the file does not contain a valid Workbook stream");
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
        return QStringLiteral("the requested worksheet is not available in the workbook");
    case FREEXL_INVALID_CHARACTER:
        return QStringLiteral("a text holds a character outside the workbook's character set");
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("the workbook's character set is not supported");
    case FREEXL_ILLEGAL_CELL_ROW_COL:
        return QStringLiteral("a cell lies outside the sheet");
    case FREEXL_ILLEGAL_RK_VALUE:
        return QStringLiteral("a number cell cannot be decoded");
    case FREEXL_INVALID_MINI_STREAM:
        return QStringLiteral("the MiniFAT stream is invalid");
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return QStringLiteral("the MiniFAT stream contains an invalid entry");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("the file is severely corrupted");
    default:
        return QStringLiteral("FreeXL error %1").arg(code);
    }
}

bool ListWorkbookSheets(const QString &path, QStringList *names, QString *error)
{
    names->clear();
    const void *handle = nullptr;
    int code = freexl_open_info(QFile::encodeName(path).constData(), &handle);
    if (code == FREEXL_OK)
        readSheetNames(handle, names, &code);
    closeHandle(handle);
    if (code != FREEXL_OK) {
        names->clear();
        *error = openError(path, code);
        return false;
    }
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
    int code = freexl_open(QFile::encodeName(path).constData(), &m_handle);
    if (code == FREEXL_OK && isObfuscated(m_handle)) {
        closeHandle(m_handle);
        m_error = QStringLiteral("Cannot read the workbook %1: it is protected with a password.").arg(nativePath(path));
        return false;
    }
    if (code == FREEXL_OK)
        readSheetNames(m_handle, &m_listedNames, &code);
    if (code != FREEXL_OK) {
        closeHandle(m_handle);
        m_listedNames.clear();
        m_error = openError(path, code);
        return false;
    }
    return true;
}

void WorkbookReader::close()
{
    closeHandle(m_handle);
    m_listedNames.clear();
    m_titles.clear();
    m_titleRow = m_sheetRows = 0;
    m_sheetColumns = 0;
    m_rowCount = 0;
    m_error.clear();
}

bool WorkbookReader::selectSheet(const QString &listedName)
{
    m_titles.clear();
    m_rowCount = 0;
    m_titleRow = m_sheetRows = 0;
    m_sheetColumns = 0;
    if (!m_handle) {
        m_error = QStringLiteral("No workbook is open.");
        return false;
    }
    qsizetype index = m_listedNames.indexOf(listedName);
    for (qsizetype i = 0; index < 0 && i < m_listedNames.size(); ++i) {
        if (m_listedNames.at(i).compare(listedName, Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0) {
        m_error = QStringLiteral("The workbook %1 has no sheet named %2.")
                      .arg(QFileInfo(m_path).fileName(), listedName);
        return false;
    }
    int code = freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index));
    if (code == FREEXL_OK)
        code = freexl_worksheet_dimensions(m_handle, &m_sheetRows, &m_sheetColumns);
    if (code != FREEXL_OK) {
        m_sheetRows = 0;
        m_sheetColumns = 0;
        m_error = QStringLiteral("Cannot read the sheet %1: %2").arg(listedName, FreeXLErrorText(code));
        return false;
    }

    // The titles stand in the first row that holds anything.
    for (m_titleRow = 0; m_titleRow < m_sheetRows; ++m_titleRow) {
        bool any = false;
        for (unsigned short c = 0; c < m_sheetColumns && !any; ++c)
            any = !cell(m_titleRow, c).isNull();
        if (any)
            break;
    }
    if (m_titleRow >= m_sheetRows)
        return true; // an empty sheet: no titles, no records
    for (unsigned short c = 0; c < m_sheetColumns; ++c)
        m_titles << cell(m_titleRow, c).toString();
    m_rowCount = qint64(m_sheetRows) - m_titleRow - 1;
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
    if (row < 0 || row >= m_rowCount || column < 0 || column >= m_sheetColumns)
        return QVariant();
    return cell(static_cast<unsigned int>(m_titleRow + 1 + row), static_cast<unsigned short>(column));
}

QVariant WorkbookReader::cell(unsigned int row, unsigned short column) const
{
    FreeXL_CellValue v;
    if (!m_handle || freexl_get_cell_value(m_handle, row, column, &v) != FREEXL_OK)
        return QVariant();
    switch (v.type) {
    case FREEXL_CELL_INT:
        return QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return NumberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        // An empty text is an empty cell to the reader of the table.
        if (!v.value.text_value || !*v.value.text_value)
            return QVariant();
        return QString::fromUtf8(v.value.text_value);
    }
    default:
        return QVariant();
    }
}
