#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Reads Excel 97-2003 workbooks (.xls) through FreeXL, the way a database
// driver presents them: each sheet is a table named "<sheet>$" ("'<sheet>$'"
// when the name holds a blank or an apostrophe), its first non-empty row holds
// the column titles and every later row is a record. Empty cells are null.
// Defined names (named ranges) are not listed: FreeXL does not expose them.
class WorkbookReader
{
public:
    WorkbookReader() = default;
    ~WorkbookReader();
    WorkbookReader(const WorkbookReader &) = delete;
    WorkbookReader &operator=(const WorkbookReader &) = delete;

    // Opens the whole workbook (cells included). False with errorString() set
    // when FreeXL cannot read it.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // The tables of the workbook, in sheet order, named as listed above.
    QStringList sheetNames() const { return m_listedNames; }

    // Makes the sheet whose listed name is `listedName` current (an exact match
    // first, then one that ignores letter case, as the database's table names
    // do). False with errorString() set when the workbook has no such sheet.
    bool selectSheet(const QString &listedName);

    // Of the current sheet: the column titles, a title's column (letter case
    // ignored; -1 when absent), the number of records below the title row, and
    // one value: null for an empty cell, else text (see CellText).
    QStringList columnTitles() const { return m_titles; }
    int columnIndex(const QString &title) const;
    qint64 rowCount() const { return m_rowCount; }
    QVariant value(qint64 row, int column) const;

    QString errorString() const { return m_error; }

private:
    QVariant cell(unsigned int row, unsigned short column) const;

    const void *m_handle = nullptr;
    QString m_path;
    QStringList m_listedNames;
    QStringList m_titles;
    unsigned int m_titleRow = 0;
    unsigned int m_sheetRows = 0;
    unsigned short m_sheetColumns = 0;
    qint64 m_rowCount = 0;
    QString m_error;
};

// The table name under which a sheet is listed: "Sheet1" -> "Sheet1$",
// "My Sheet" -> "'My Sheet$'", "O'Brien" -> "'O''Brien$'".
QString ListedSheetName(const QString &sheetName);

// Lists a workbook's tables (see WorkbookReader) without reading its cells.
bool ListWorkbookSheets(const QString &path, QStringList *names, QString *error);

// A number as the text a database stores for it: whole numbers without a
// fraction or exponent (74081110), others in their shortest exact form (0.5).
QString NumberText(double value);

// FreeXL's reason for an error code.
QString FreeXLErrorText(int code);
