#pragma once

#include "Decimal.h"
#include "RegistrationNumber.h"
#include "app/Progress.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <type_traits>

class TariffMaster;
struct sqlite3;
struct sqlite3_stmt;

// How many lines of its row the writer has put out when the reader meets a
// problem in it: the SL-NO, the number, the date, the issuer (documents only).
// A row that stops the document keeps those lines; Whole is a row without such a problem.
enum class RowStage { Start, Serial, Number, Date, IssuedBy, Whole };

// What is wrong with one value of a work table row. The writer and the data
// check find it by the same rules and each says it in its own words.
struct RowProblem
{
    enum Kind {
        // The writer stops at these: the document ends in this row.
        DamagedNumber, // a numeric field that holds no number
        BadCharacter, // a character XML cannot carry (`code`) in `value`
        NumberOutOfRange, // `value` reads as no number a return can hold
        NotANumber, // text in a number's place that is not wholly a number
        NotADate, // no date, or one that does not exist ("29/02/2015")
        NumberNotFitting, // `detail`: the number as the return would carry it, beyond what it holds
        TariffLength, // `detail`: the cleaned tariff number, not 8 characters
        NotInMaster, // `detail`: the cleaned tariff number
        UnitCharacter, // the master's unit for `detail` holds `code`; `value` is Col05
        // Only the data check looks for these; validation finds them in the return.
        SerialNotPositive,
        RegistrationFault, // `detail`: the fault in words
        RegistrationTooLong,
        // Warnings: the row is written as it is, but the user should look at it.
        NoValue, // a null number, written as 0.00
        UnitMissing, // `detail`: the cleaned tariff number, whose unit is written as U
        DocumentNotInMaster, // `detail`: the cleaned tariff number, whose unit is written as U
        BlankNumber, // the invoice or document number is blank
        Negative, // `detail`: the number as written
    };
    Kind kind = BadCharacter;
    QString column; // "Col05", or "Col07-Col10" for a duty
    QString value; // as read
    QString detail;
    char16_t code = 0; // the character XML cannot carry
    RowStage stage = RowStage::Start;

    bool stopsWriter() const { return kind <= UnitCharacter; }
    bool warning() const { return kind >= NoValue; }
};

// A date column: "yyyy-mm-dd" as the table readers hand dates out, or the
// text the return carries for any other value.
struct RowDate
{
    bool iso = false; // read as "yyyy-mm-dd": the fields below say it all
    bool valid = false; // a day that exists; `year`, `month` and `day` hold it
    int year = 0;
    int month = 0;
    int day = 0;
    QString text; // trimmed, "dd/mm/yyyy" where the value is a date; when !iso
};

// One STEMP4 row: a line of an excise invoice the dealer issued.
struct InvoiceLine
{
    QVariant serial; // Col01
    QString number; // Col02
    RowDate date; // Col03
    QString product; // Col04
    QString tariff; // Col05 as read
    QString cleaned; // CleanedTariffNumber of Col05, blanks and dots removed
    QString unit; // the master's unit of `cleaned`
    Decimal quantity; // Col06
    Decimal duty; // Col07 to Col10, summed and rounded to whole rupees
};

// One PTEMP5 row: a supplier's invoice or bill of entry.
struct SupplierDocument
{
    QVariant serial; // Col01
    QString number; // Col02
    RowDate date; // Col12
    QString issuedBy; // Col13
    QString supplier; // Col03
    QString registration; // Col10 as read
    QString registrationNoBlanks; // as the return carries it
    // The check's finding; looked for only when the trimmed number is not ten
    // characters long (ten is a PAN).
    std::optional<RegistrationFault> registrationFault;
    QString product; // Col04
    QString tariff; // Col05 as read
    QString cleaned; // CleanedTariffNumber of Col05, blanks removed (dots stay)
    QString unit;
    QString address; // Col14
    QString quantity; // Col11 as the return carries it ("0.00" when it holds no value)
    Decimal duty; // Col06 to Col09, summed and rounded to whole rupees
};

// Only a row's number (Col02) and date, for a look at the dates.
struct DatedRow
{
    QString number;
    RowDate date;
};

enum class WorkTable { InvoiceLines, SupplierDocuments }; // STEMP4, PTEMP5

// Reads the work tables row by row into records, with the problems of each
// row in the order the return meets them. For the writer (StopAtFirst) a row
// is read up to the first problem that stops the document; for the data check
// (Everything) every column is read and every problem listed, those that only
// the validation would find included.
class WorkTableReader
{
public:
    enum class Mode { StopAtFirst, Everything };

    WorkTableReader(const QString &connection, TariffMaster *master, Mode mode);
    ~WorkTableReader();
    WorkTableReader(const WorkTableReader &) = delete;
    WorkTableReader &operator=(const WorkTableReader &) = delete;

    enum class Walk {
        Done, // every row was handed over
        Stopped, // the row's work said stop
        Failed, // the table could not be opened or read: errorString()
        Cancelled, // the user stopped it, while the query opened or between two rows
    };
    // One pass over `table` in the return's order under the progress phase
    // `phase`: the rows counted, the query opened (a long sort hears Cancel
    // and keeps the windows painted), each row read into a Record
    // (InvoiceLine, SupplierDocument or DatedRow) and handed to `onRow`, then
    // the progress told and Cancel heard. `onRow` gives false to stop at that row.
    template <typename Record, typename OnRow> Walk walk(WorkTable table, const QString &phase, OnRow &&onRow)
    {
        ProgressPhase progress(phase, count(table));
        if (!begin(table, std::is_same_v<Record, DatedRow>, &progress))
            return m_cancelled ? Walk::Cancelled : Walk::Failed;
        Record row;
        while (next(&row)) {
            if (!onRow(row))
                return end(Walk::Stopped);
            if (!progress.step())
                return end(Walk::Cancelled);
        }
        return end(failed() ? Walk::Failed : progress.finish() ? Walk::Done : Walk::Cancelled);
    }
    // "STEMP4" or "PTEMP5", the table of the walk, for messages.
    QString table() const { return m_table; }
    // The problems of the row handed over, in the order the return meets them.
    const QList<RowProblem> &problems() const { return m_problems; }
    // The first problem of the row that stops the writer, or none.
    const RowProblem *stop() const;

    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    // The table's number of rows, -1 when it cannot be counted.
    qint64 count(WorkTable table);
    // Opens the table's query under `progress`; false when it failed or the user cancelled.
    bool begin(WorkTable table, bool datesOnly, ProgressPhase *progress);
    Walk end(Walk how);
    bool open(const QString &sql, const QString &table, const QList<int> &columns);
    // The next row; false at the end or on a failure (failed()).
    bool next(InvoiceLine *line);
    bool next(SupplierDocument *document);
    bool next(DatedRow *row);
    static int progressHandler(void *context);
    bool openStatement(const QString &sql, const QList<int> &columns);
    void close();
    bool step();
    // The next row, its problems and stage reset.
    bool startRow();
    void rowHead(int dateColumn, QVariant *serialOut, QString *numberOut, RowDate *dateOut);
    // A column of the current row as the Qt driver would hand it.
    QVariant value(int column) const;
    bool going() const { return m_mode == Mode::Everything || !m_stopped; }
    void add(RowProblem::Kind kind, const QString &column, const QString &value, const QString &detail = QString(),
             char16_t code = 0);
    bool text(int column, QString *out);
    void serial(QVariant *out);
    void date(int column, RowDate *out);
    bool tariff(bool invoiceLine, const QString &tariff, QString *cleaned, QString *unit);
    void number(int column, QString *out);
    bool numberPart(int column, Decimal *out);
    void quantity(int column, Decimal *out);
    void documentQuantity(int column, QString *out);
    void duty(int first, Decimal *out);
    bool quickDuty(int first, Decimal *out);
    // A quantity or duty the row carries: one the schema cannot hold is a
    // problem, a negative one a warning. `readColumn` holds it as read (0: a sum).
    void carried(const QString &column, int readColumn, const Decimal &number);

    QString m_connection;
    TariffMaster *m_master;
    Mode m_mode;
    // On a SQLite connection the rows are stepped on SQLite's own handle:
    // the Qt driver would turn every text into UTF-16 and a QVariant first.
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    int m_pending = 0; // the first step's result, taken when the query opened
    bool m_done = false;
    QSqlQuery m_query; // any other driver
    QString m_sql;
    QString m_table;
    QList<int> m_indexes; // by column number; -1 where a column is not read
    int m_dateColumn = 0;
    QList<RowProblem> m_problems;
    RowStage m_stage = RowStage::Start;
    bool m_stopped = false;
    ProgressPhase *m_progress = nullptr;
    bool m_cancelled = false;
    QString m_error;
};

// The quarter's work tables over the company's connection, with the master
// over the program's, read for every problem of every row: false with why
// they cannot be read yet, else `read`'s answer.
bool ReadQuarterTables(const QString &companyConnection, const QString &programConnection, QString *reason,
                       const std::function<bool(WorkTableReader &reader)> &read);

// Column names as the messages give them: 1 is "Col01".
QString WorkTableColumn(int number);
