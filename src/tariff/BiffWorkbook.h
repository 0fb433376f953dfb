#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <limits>

// What a number format shows: "0.00" a plain number, "dd/mm/yyyy" a date,
// "h:mm" a time of day, "dd/mm/yyyy hh:mm" both.
enum class NumberShown { Number, Date, Time, DateTime };

// The cells of one sheet that hold a value, as text, keyed by CellKey().
struct SheetCells
{
    QHash<quint32, QString> text;
    int rows = 0; // one past the last row that holds a value
    int columns = 0; // one past the last column that holds a value
    int firstRow = std::numeric_limits<int>::max();
};

inline quint32 CellKey(int row, int column)
{
    return (quint32(row) << 16) | quint32(column);
}

// The workbook stream of an Excel 97-2003 file (BIFF8). Every record is checked against the stream before it is read.
// Cell values become text the way a database stores them: numbers through
// NumberText, dates and times as ISO text, booleans as 1 and 0; errors and
// empty texts hold no value.
class BiffWorkbook
{
public:
    // Reads the workbook globals: the sheets, the shared texts, the number
    // formats. False with error() set when the stream cannot be read.
    bool open(const QByteArray &stream);

    bool encrypted() const { return m_encrypted; }
    // The worksheets in workbook order (chart and macro sheets are left out).
    QStringList sheetNames() const;

    // Reads every cell of the worksheet `index` (an index into sheetNames()).
    bool readSheet(int index, SheetCells *cells);

    // Workbook-wide names of one block of cells on a worksheet, in workbook
    // order; names of formulas, built-in and hidden names are left out.
    struct NamedRange
    {
        QString name;
        int sheet = 0; // index into sheetNames()
        int firstRow = 0;
        int lastRow = 0;
        int firstColumn = 0;
        int lastColumn = 0;
    };
    QList<NamedRange> namedRanges() const { return m_ranges; }

    QString error() const { return m_error; }

private:
    struct Sheet
    {
        QString name;
        quint32 offset = 0;
    };
    // A name as read, before the sheet it points at is known.
    struct PendingName
    {
        NamedRange range;
        quint16 externSheet = 0;
    };
    struct ExternSheet
    {
        quint16 book = 0;
        quint16 firstSheet = 0;
        quint16 lastSheet = 0;
    };

    bool fail(const QString &reason);
    void resolveNames();
    NumberShown formatOf(quint16 xf) const;
    QString numberText(double value, quint16 xf) const;

    QByteArray m_stream;
    bool m_encrypted = false;
    bool m_date1904 = false;
    QList<Sheet> m_sheets;
    QList<int> m_worksheetOfSheet; // every sheet of the workbook -> index into m_sheets, or -1
    int m_ownBook = -1;
    int m_books = 0;
    QList<ExternSheet> m_externSheets;
    QList<PendingName> m_pendingNames;
    QList<NamedRange> m_ranges;
    QList<QString> m_sharedTexts;
    QList<quint16> m_xfFormats;
    QHash<quint16, NumberShown> m_formats;
    QHash<quint16, int> m_zeroPadded; // formats that are a run of zeros, by their length
    QString m_error;
};

// What a format code shows; quoted text, escaped characters and [colours]
// do not count, "m" alone (month or minute) neither.
NumberShown NumberFormatShows(const QString &code);
// The number of digits a format of zeros alone ("00000000") pads a whole number to; 0 for any other format.
int ZeroPaddedWidth(const QString &code);

// A serial day number as ISO text ("2014-03-20", "10:30:00",
// "2014-03-20 10:30:00"); empty when it is no day of the years 1900-9999.
QString SerialDateText(double serial, NumberShown shown, bool date1904);

// A number as the text a database stores for it: whole numbers without a
// fraction or exponent (74081110), others in their shortest exact form (0.5).
QString NumberText(double value);
