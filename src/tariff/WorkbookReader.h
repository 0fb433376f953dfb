#pragma once

#include "BiffWorkbook.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// Reads Excel 97-2003 workbooks (.xls) the way a database driver presents
// them: each worksheet is a table named "<sheet>$" ("'<sheet>$'" when the name
// holds a blank or an apostrophe), its first non-empty row holds the column
// titles and every later row is a record. Empty cells are null. A workbook-wide
// name of a block of cells is listed by its plain name after the sheets; its
// first row holds the titles. The file is checked as it is read, so a damaged
// or crafted workbook ends in a message, never in a crash.
class WorkbookReader
{
public:
    WorkbookReader() = default;
    ~WorkbookReader();
    WorkbookReader(const WorkbookReader &) = delete;
    WorkbookReader &operator=(const WorkbookReader &) = delete;

    // Opens the workbook and reads its sheet list. False with errorString()
    // set when the file cannot be read. openData() reads bytes already in
    // memory; `path` only names them in messages.
    bool open(const QString &path);
    bool openData(const QByteArray &data, const QString &path);
    void close();
    bool isOpen() const { return m_open; }

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
    QVariant cell(int row, int column) const;
    // Sets "Cannot read the workbook <path>: <reason>"; returns false.
    bool cannotRead(const QString &reason);

    bool m_open = false;
    BiffWorkbook m_book;
    SheetCells m_cells;
    QString m_path;
    QStringList m_listedNames;
    QStringList m_titles;
    int m_titleRow = 0;
    int m_firstColumn = 0;
    int m_columnCount = 0;
    qint64 m_rowCount = 0;
    QString m_error;
};

// The table name under which a sheet is listed: "Sheet1" -> "Sheet1$",
// "My Sheet" -> "'My Sheet$'", "O'Brien" -> "'O''Brien$'".
QString ListedSheetName(const QString &sheetName);

// Lists a workbook's tables (see WorkbookReader) without reading its cells.
bool ListWorkbookSheets(const QString &path, QStringList *names, QString *error);
