#include "WorkTableRecords.h"

#include "SchemaValidation.h"
#include "TextRules.h"
#include "WorkTableValues.h"
#include "WorkTables.h"
#include "app/BackgroundTask.h"
#include "app/Connections.h"
#include "app/Progress.h"
#include "app/Values.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>

#include <atomic>
#include <chrono>
#include <sqlite3.h>
#include <thread>
#include <utility>

namespace {
const QString kInvoiceSql = QStringLiteral("Select * from STEMP4 Order by Col02");
const QString kDocumentSql = QStringLiteral("Select * from PTEMP5 ORDER BY COL01");

// "yyyy-mm-dd", the way every table reader hands out a date, read without a
// QDate; false for anything else, which then takes ValueDate's road.
bool isoDate(const QVariant &value, RowDate *out)
{
    return value.typeId() == QMetaType::QString && IsoDateDigits(value.toString(), &out->year, &out->month, &out->day);
}

// UTF-8 from SQLite into `out`, whose memory is kept from row to row. True
// when every character is printable ASCII, which XML carries as it is.
bool assignUtf8(const char *bytes, qsizetype size, QString *out)
{
    bool other = false;
    for (qsizetype i = 0; i < size; ++i)
        other |= quint8(bytes[i] - 0x20) >= 0x60;
    if (other) {
        *out = QString::fromUtf8(bytes, size);
        return false;
    }
    *out = QLatin1StringView(bytes, size); // into the capacity `out` already has
    return true;
}

// The first `count` columns, Col01 to ColNN.
QString columnName(int number)
{
    static const QString names[] = {QString(),
                                    QStringLiteral("Col01"),
                                    QStringLiteral("Col02"),
                                    QStringLiteral("Col03"),
                                    QStringLiteral("Col04"),
                                    QStringLiteral("Col05"),
                                    QStringLiteral("Col06"),
                                    QStringLiteral("Col07"),
                                    QStringLiteral("Col08"),
                                    QStringLiteral("Col09"),
                                    QStringLiteral("Col10"),
                                    QStringLiteral("Col11"),
                                    QStringLiteral("Col12"),
                                    QStringLiteral("Col13"),
                                    QStringLiteral("Col14")};
    return number > 0 && number < 15 ? names[number] : QStringLiteral("Col%1").arg(number, 2, 10, QLatin1Char('0'));
}
} // namespace

bool ReadQuarterTables(const QString &companyConnection, const QString &programConnection, QString *reason,
                       const std::function<bool(WorkTableReader &reader)> &read)
{
    *reason = WorkTablesNotReady(companyConnection, programConnection);
    if (!reason->isEmpty())
        return false;
    TariffMaster master(programConnection);
    WorkTableReader reader(companyConnection, &master, WorkTableReader::Mode::Everything);
    return read(reader);
}

QString WorkTableColumn(int number)
{
    return columnName(number);
}

namespace {
QString tableName(WorkTable table)
{
    return table == WorkTable::InvoiceLines ? QStringLiteral("STEMP4") : QStringLiteral("PTEMP5");
}
} // namespace

WorkTableReader::WorkTableReader(const QString &connection, TariffMaster *master, Mode mode)
    : m_connection(connection)
    , m_master(master)
    , m_mode(mode)
{
}

WorkTableReader::~WorkTableReader()
{
    close();
}

void WorkTableReader::close()
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_pending = 0;
    m_done = false;
    m_query = QSqlQuery();
}

bool WorkTableReader::openStatement(const QString &sql, const QList<int> &columns)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_statement, nullptr) != SQLITE_OK)
        return false;
    const int count = sqlite3_column_count(m_statement);
    m_indexes = QList<int>(columns.last() + 1, -1);
    for (int i : columns) {
        const QByteArray name = columnName(i).toLatin1();
        int at = 0;
        while (at < count && qstricmp(sqlite3_column_name(m_statement, at), name.constData()) != 0)
            ++at;
        if (at == count)
            return false;
        m_indexes[i] = at;
    }
    // The first step reads (and for a sorted query sorts) the table, so a
    // table that cannot be read fails here, as the query's failure. That takes
    // a while on a large table: the window repaints and Cancel is heard meanwhile.
    if (!m_progress) {
        m_pending = sqlite3_step(m_statement);
    } else {
        // A window that waits here keeps painting; the sort's last merge is
        // one long step SQLite cannot break up, so the step runs on a second
        // thread (the connection is not touched meanwhile: the window's
        // input is held back) and the handler only listens for Cancel.
        sqlite3_progress_handler(m_db, 20000, progressHandler, this);
        std::atomic<bool> stepped{false};
        BackgroundTask worker;
        worker.start([this, &stepped] {
            m_pending = sqlite3_step(m_statement);
            stepped = true;
        });
        while (!stepped) {
            m_progress->look();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        worker.join();
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        m_cancelled = m_pending == SQLITE_INTERRUPT && CancelRequested();
    }
    return m_pending == SQLITE_ROW || m_pending == SQLITE_DONE;
}

int WorkTableReader::progressHandler(void *)
{
    return CancelRequested() ? 1 : 0; // 1 interrupts the statement
}

qint64 WorkTableReader::count(WorkTable table)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen())
        return -1;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("Select count(*) from ") + tableName(table)) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

bool WorkTableReader::open(const QString &sql, const QString &table, const QList<int> &columns)
{
    close();
    m_sql = sql;
    m_table = table;
    m_error.clear();
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("The query failed: %1\r\nThe company's data are not open.").arg(sql);
        return false;
    }
    m_db = SqliteHandle(db);
    m_cancelled = false;
    if (m_db && openStatement(sql, columns))
        return true;
    if (m_cancelled) {
        close();
        m_error = QStringLiteral("Cancelled.");
        return false;
    }
    // Other drivers, and a query that fails at its start, take Qt's road,
    // which says what went wrong in the words the user knows.
    close();
    m_query = QSqlQuery(db);
    m_query.setForwardOnly(true);
    if (!m_query.exec(sql)) {
        m_error = WorkTableQueryFailure(m_connection, table, sql, m_query.lastError());
        return false;
    }
    const QSqlRecord record = m_query.record();
    m_indexes = QList<int>(columns.last() + 1, -1);
    for (int i : columns) {
        const int at = record.indexOf(columnName(i)); // letter case ignored
        if (at < 0) {
            m_error = QStringLiteral("The table %1 has no column %2.").arg(table, columnName(i));
            return false;
        }
        m_indexes[i] = at;
    }
    return true;
}

namespace {
// Col01 to ColNN.
QList<int> firstColumns(int count)
{
    QList<int> columns;
    for (int i = 1; i <= count; ++i)
        columns << i;
    return columns;
}
} // namespace

bool WorkTableReader::begin(WorkTable table, bool datesOnly, ProgressPhase *progress)
{
    m_progress = progress;
    const bool invoiceLines = table == WorkTable::InvoiceLines;
    // The dates alone are read in the return's order, but only their two
    // columns: sorting and decoding whole rows would cost as much as the export itself.
    m_dateColumn = invoiceLines ? 3 : 12;
    bool opened = false;
    if (datesOnly)
        opened = invoiceLines ? open(QStringLiteral("Select Col02, Col03 from STEMP4 Order by Col02"),
                                     QStringLiteral("STEMP4"), {2, 3})
                              : open(QStringLiteral("Select COL02, COL12 from PTEMP5 ORDER BY COL01"),
                                     QStringLiteral("PTEMP5"), {2, 12});
    else
        opened = invoiceLines ? open(kInvoiceSql, QStringLiteral("STEMP4"), firstColumns(10))
                              : open(kDocumentSql, QStringLiteral("PTEMP5"), firstColumns(14));
    // A Cancel while the query opened, or just before the first row.
    m_cancelled = m_cancelled || (!opened && CancelRequested()) || (opened && !progress->look());
    if (!opened || m_cancelled)
        m_progress = nullptr;
    return opened && !m_cancelled;
}

WorkTableReader::Walk WorkTableReader::end(Walk how)
{
    m_progress = nullptr;
    m_cancelled = how == Walk::Cancelled;
    return how;
}

bool WorkTableReader::step()
{
    if (!m_statement) {
        if (m_query.next())
            return true;
        if (m_query.lastError().isValid())
            m_error = QStringLiteral("The query failed: %1\r\n%2").arg(m_sql, m_query.lastError().text());
        return false;
    }
    if (m_done)
        return false; // a finished statement would start over
    const int rc = m_pending ? std::exchange(m_pending, 0) : sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    m_done = true;
    if (rc != SQLITE_DONE) {
        const QSqlError error(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(m_db)),
                              QSqlError::ConnectionError, QString::number(sqlite3_extended_errcode(m_db)));
        m_error = QStringLiteral("The query failed: %1\r\n%2").arg(m_sql, error.text()) + SqliteFullNote(error);
    }
    return false;
}

QVariant WorkTableReader::value(int column) const
{
    const int at = m_indexes.at(column);
    if (!m_statement)
        return m_query.value(at);
    switch (sqlite3_column_type(m_statement, at)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(m_statement, at));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, at);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_statement, at)),
                          sqlite3_column_bytes(m_statement, at));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, at)),
                                 sqlite3_column_bytes(m_statement, at));
    }
}

const RowProblem *WorkTableReader::stop() const
{
    for (const RowProblem &p : m_problems)
        if (p.stopsWriter())
            return &p;
    return nullptr;
}

void WorkTableReader::add(RowProblem::Kind kind, const QString &column, const QString &value, const QString &detail,
                          char16_t code)
{
    RowProblem p;
    p.kind = kind;
    p.column = column;
    p.value = value;
    p.detail = detail;
    p.code = code;
    p.stage = m_stage;
    m_problems.append(p);
    if (p.stopsWriter())
        m_stopped = true;
}

// The column as text. A numeric field that holds no number or a character
// XML cannot carry is a problem; false when there is one.
bool WorkTableReader::text(int column, QString *out)
{
    const int at = m_statement ? m_indexes.at(column) : -1;
    if (at >= 0 && sqlite3_column_type(m_statement, at) == SQLITE_TEXT) {
        if (assignUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, at)),
                       sqlite3_column_bytes(m_statement, at), out))
            return true;
    } else {
        const QVariant v = value(column);
        if (IsDamagedValue(v)) {
            *out = DamagedValueText(v);
            add(RowProblem::DamagedNumber, columnName(column), *out);
            return false;
        }
        *out = ValueText(v);
    }
    const qsizetype bad = FindCharacterNotInXml(*out);
    if (bad < 0)
        return true;
    add(RowProblem::BadCharacter, columnName(column), *out, QString(), out->at(bad).unicode());
    return false;
}

void WorkTableReader::serial(QVariant *out)
{
    *out = value(1);
    if (IsIntegerValue(*out)) { // digits and a sign: nothing XML cannot carry
        if (m_mode == Mode::Everything && out->toLongLong() < 1)
            add(RowProblem::SerialNotPositive, columnName(1), ValueText(*out));
        return;
    }
    QString t;
    if (text(1, &t) && m_mode == Mode::Everything && !FitsSchemaPositiveInteger(TrimBlanks(t).trimmed()))
        add(RowProblem::SerialNotPositive, columnName(1), t);
}

// Every reader takes a date by one rule (ValueDate); IsoDateDigits is only
// its quick road for the "yyyy-mm-dd" the table readers hand out.
void WorkTableReader::date(int column, RowDate *out)
{
    const int at = m_statement ? m_indexes.at(column) : -1;
    if (at >= 0 && sqlite3_column_type(m_statement, at) == SQLITE_TEXT
        && IsoDateDigits(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, at)),
                         sqlite3_column_bytes(m_statement, at), &out->year, &out->month, &out->day)) {
        out->iso = out->valid = true;
        return;
    }
    const QVariant v = value(column);
    out->iso = out->valid = isoDate(v, out);
    if (out->iso)
        return;
    QString t;
    if (!text(column, &t))
        return;
    const QDate d = ValueDate(v);
    out->valid = d.isValid();
    if (out->valid)
        d.getDate(&out->year, &out->month, &out->day);
    out->text = TrimBlanks(out->valid ? CanonicalDateText(d) : t);
    // The schema's pattern lets 29 February of any year through: the date is
    // checked here, for the writer as for the data check.
    if (!out->valid)
        add(RowProblem::NotADate, columnName(column), t);
}

void WorkTableReader::number(int column, QString *out)
{
    if (text(column, out) && m_mode == Mode::Everything && TrimBlanksView(*out).isEmpty())
        add(RowProblem::BlankNumber, columnName(column), *out);
}

// Invoice lines must be in the master; a supplier document that is not, or
// a number without a unit, is written with the unit "U", which the data
// check warns of. False when the master cannot be read.
bool WorkTableReader::tariff(bool invoiceLine, const QString &tariff, QString *cleaned, QString *unit)
{
    CleanedTariffNumber(tariff, invoiceLine, cleaned);
    if (cleaned->size() != 8) {
        add(RowProblem::TariffLength, columnName(5), tariff, *cleaned);
        return true;
    }
    // The unit comes from the same cleaned number that passes the master check.
    bool known = true;
    bool defaulted = false;
    if (!GetUnitForTariff(*m_master, *cleaned, unit, &known, &defaulted)) {
        m_error = QStringLiteral("The query failed: ") + m_master->errorString();
        return false;
    }
    if (!known && invoiceLine) {
        add(RowProblem::NotInMaster, columnName(5), tariff, *cleaned);
        return true;
    }
    if (m_mode == Mode::Everything && (!known || defaulted))
        add(known ? RowProblem::UnitMissing : RowProblem::DocumentNotInMaster, columnName(5), tariff, *cleaned);
    // The unit comes from the master, which is filled from a workbook.
    const qsizetype at = FindCharacterNotInXml(*unit);
    if (at >= 0)
        add(RowProblem::UnitCharacter, columnName(5), tariff, *cleaned, unit->at(at).unicode());
    return true;
}

// One number of the row, exactly: a null is 0 (a warning), integers and
// doubles as they are, text only when it is wholly one number (blanks around
// it aside; empty text is 0). False when the value is a problem.
bool WorkTableReader::numberPart(int column, Decimal *out)
{
    *out = Decimal();
    const QVariant v = value(column);
    if (IsDamagedValue(v)) {
        add(RowProblem::DamagedNumber, columnName(column), DamagedValueText(v));
        return false;
    }
    if (v.isNull()) {
        if (m_mode == Mode::Everything)
            add(RowProblem::NoValue, columnName(column), QString());
        return true;
    }
    if (NumberWithoutText(v, out))
        return true;
    QString t;
    if (IsNumericValue(v))
        t = ValueText(v); // a double fromDouble leaves alone: its shortest text
    else if (!text(column, &t))
        return false;
    if (t.trimmed().isEmpty())
        return true;
    bool outOfRange = false;
    if (Decimal::fromWholeText(t, out, &outOfRange))
        return true;
    add(outOfRange ? RowProblem::NumberOutOfRange : RowProblem::NotANumber, columnName(column), t);
    *out = Decimal();
    return false;
}

void WorkTableReader::carried(const QString &column, int readColumn, const Decimal &number)
{
    // 16 integer digits and two decimals fit any decimal the schema takes.
    if (number.integerDigits() > 16 && !FitsSchemaDecimal(number.toText(2))) {
        add(RowProblem::NumberNotFitting, column, readColumn > 0 ? ValueText(value(readColumn)) : number.toText(2),
            number.toText(2));
        return;
    }
    if (m_mode == Mode::Everything && number.rounded(2).sign() < 0)
        add(RowProblem::Negative, column, readColumn > 0 ? ValueText(value(readColumn)) : number.toText(2),
            number.toText(2));
}

void WorkTableReader::quantity(int column, Decimal *out)
{
    if (numberPart(column, out))
        carried(columnName(column), column, *out);
}

// A supplier document's quantity: a number as "0.00"; empty text is written
// as it is (and the return cannot carry it).
void WorkTableReader::documentQuantity(int column, QString *out)
{
    const QVariant v = value(column);
    if (!v.isNull() && !IsNumericValue(v) && !IsDamagedValue(v)) {
        if (!text(column, out))
            return;
        if (out->trimmed().isEmpty()) {
            if (m_mode == Mode::Everything) // the writer leaves it to the validation, as ever
                add(RowProblem::NumberNotFitting, columnName(column), *out, *out);
            return;
        }
    }
    Decimal q;
    if (!numberPart(column, &q))
        return;
    *out = q.toText(2);
    carried(columnName(column), column, q);
}

// The sum of four columns, rounded once to whole rupees.
void WorkTableReader::duty(int first, Decimal *out)
{
    if (m_statement && quickDuty(first, out))
        return;
    Decimal sum;
    bool read = true;
    for (int column = first; column < first + 4 && going(); ++column) {
        Decimal part;
        read = numberPart(column, &part) && read;
        sum = sum + part;
    }
    if (!read)
        return;
    *out = sum.rounded(0);
    carried(columnName(first) + QLatin1Char('-') + columnName(first + 3), 0, *out);
}

// The common case, numbers that fromDouble reads, summed without a Decimal for each.
bool WorkTableReader::quickDuty(int first, Decimal *out)
{
    qint64 whole[4];
    int scale[4];
    for (int i = 0; i < 4; ++i) {
        const int at = m_indexes.at(first + i);
        switch (sqlite3_column_type(m_statement, at)) {
        case SQLITE_FLOAT:
            if (!Decimal::doubleParts(sqlite3_column_double(m_statement, at), &whole[i], &scale[i]))
                return false;
            break;
        case SQLITE_INTEGER:
            whole[i] = sqlite3_column_int64(m_statement, at);
            scale[i] = 0;
            if (whole[i] <= -1000000000000000LL || whole[i] >= 1000000000000000LL)
                return false;
            break;
        default:
            return false;
        }
    }
    *out = Decimal::roundedSum(whole, scale, 4);
    carried(columnName(first) + QLatin1Char('-') + columnName(first + 3), 0, *out);
    return true;
}

bool WorkTableReader::startRow()
{
    if (!step())
        return false;
    m_problems.clear();
    m_stopped = false;
    m_stage = RowStage::Start;
    return true;
}

// Col01, Col02 and the date: what the return's row opens with.
void WorkTableReader::rowHead(int dateColumn, QVariant *serialOut, QString *numberOut, RowDate *dateOut)
{
    serial(serialOut);
    m_stage = RowStage::Serial;
    if (going())
        number(2, numberOut);
    m_stage = RowStage::Number;
    if (going())
        date(dateColumn, dateOut);
    m_stage = RowStage::Date;
}

bool WorkTableReader::next(DatedRow *row)
{
    if (!startRow())
        return false;
    text(2, &row->number);
    date(m_dateColumn, &row->date);
    return true;
}

bool WorkTableReader::next(InvoiceLine *line)
{
    if (!startRow())
        return false;
    rowHead(3, &line->serial, &line->number, &line->date);
    if (going())
        text(4, &line->product);
    if (going() && text(5, &line->tariff) && !tariff(true, line->tariff, &line->cleaned, &line->unit))
        return false;
    if (going())
        quantity(6, &line->quantity);
    if (going())
        duty(7, &line->duty);
    return true;
}

bool WorkTableReader::next(SupplierDocument *document)
{
    if (!startRow())
        return false;
    SupplierDocument &d = *document;
    rowHead(12, &d.serial, &d.number, &d.date);
    if (going())
        text(13, &d.issuedBy);
    m_stage = RowStage::IssuedBy;
    if (going())
        text(3, &d.supplier);
    const bool registrationRead = going() && text(10, &d.registration);
    if (going())
        text(4, &d.product);
    const bool tariffRead = going() && text(5, &d.tariff);
    // The writer checks the number once the row's texts are read, before the tariff.
    d.registrationFault.reset();
    if (going() && registrationRead) {
        RemoveBlanks(d.registration, &d.registrationNoBlanks);
        if (TrimBlanksView(d.registration).size() != 10)
            d.registrationFault = FindRegistrationFault(d.registrationNoBlanks);
        if (m_mode == Mode::Everything) {
            if (d.registrationFault)
                add(RowProblem::RegistrationFault, columnName(10), d.registrationNoBlanks,
                    RegistrationFaultText(*d.registrationFault));
            if (d.registrationNoBlanks.size() > 15)
                add(RowProblem::RegistrationTooLong, columnName(10), d.registrationNoBlanks);
        }
    }
    if (going() && tariffRead && !tariff(false, d.tariff, &d.cleaned, &d.unit))
        return false;
    if (going())
        text(14, &d.address);
    if (going())
        documentQuantity(11, &d.quantity);
    if (going())
        duty(6, &d.duty);
    return true;
}
