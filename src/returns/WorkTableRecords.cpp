#include "WorkTableRecords.h"

#include "ReturnDocument.h"
#include "SchemaValidation.h"
#include "TextRules.h"
#include "WorkTables.h"
#include "app/Values.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>

namespace {
const QString kInvoiceSql = QStringLiteral("Select * from STEMP4 Order by Col02");
const QString kDocumentSql = QStringLiteral("Select * from PTEMP5 ORDER BY COL01");

// "yyyy-mm-dd", the way every table reader hands out a date: its digits, or
// false for anything else (which then takes the general road).
bool isoDate(const QVariant &value, RowDate *out)
{
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString text = value.toString();
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return false;
    int digits[8];
    int k = 0;
    for (qsizetype i = 0; i < 10; ++i) {
        if (i == 4 || i == 7)
            continue;
        const char16_t c = text.at(i).unicode();
        if (c < '0' || c > '9')
            return false;
        digits[k++] = c - '0';
    }
    out->year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    out->month = digits[4] * 10 + digits[5];
    out->day = digits[6] * 10 + digits[7];
    return out->year >= 1000 && QDate::isValid(out->year, out->month, out->day);
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

// Row stages: how many lines of its row the writer has written when it reads a column.
enum InvoiceStage { BeforeInvoiceLine, AfterSerial, AfterNumber, AfterDate };
enum DocumentStage { BeforeDocument, AfterDocumentSerial, AfterDocumentNumber, AfterDocumentDate, AfterIssuedBy };
} // namespace

QString WorkTableColumn(int number)
{
    return columnName(number);
}

WorkTableReader::WorkTableReader(const QString &connection, TariffMaster *master, Mode mode)
    : m_connection(connection)
    , m_master(master)
    , m_mode(mode)
{
}

bool WorkTableReader::open(const QString &sql, const QString &table, int columns)
{
    m_sql = sql;
    m_table = table;
    m_error.clear();
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("The query failed: %1\r\nThe company's data are not open.").arg(sql);
        return false;
    }
    m_query = QSqlQuery(db);
    m_query.setForwardOnly(true);
    if (!m_query.exec(sql)) {
        m_error = WorkTableQueryFailure(m_connection, table, sql, m_query.lastError());
        return false;
    }
    const QSqlRecord record = m_query.record();
    m_indexes = {-1};
    for (int i = 1; i <= columns; ++i) {
        const int at = record.indexOf(columnName(i)); // letter case ignored
        if (at < 0) {
            m_error = QStringLiteral("The table %1 has no column %2.").arg(table, columnName(i));
            return false;
        }
        m_indexes << at;
    }
    return true;
}

bool WorkTableReader::openInvoiceLines()
{
    return open(kInvoiceSql, QStringLiteral("STEMP4"), 10);
}

bool WorkTableReader::openSupplierDocuments()
{
    return open(kDocumentSql, QStringLiteral("PTEMP5"), 14);
}

bool WorkTableReader::endOfRows()
{
    if (m_query.lastError().isValid())
        m_error = QStringLiteral("The query failed: %1\r\n%2").arg(m_sql, m_query.lastError().text());
    return false;
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
    const QVariant v = value(column);
    if (IsDamagedValue(v)) {
        *out = DamagedValueText(v);
        add(RowProblem::DamagedNumber, columnName(column), *out);
        return false;
    }
    *out = ValueText(v);
    const qsizetype at = FindCharacterNotInXml(*out);
    if (at < 0)
        return true;
    add(RowProblem::BadCharacter, columnName(column), *out, QString(), out->at(at).unicode());
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

void WorkTableReader::date(int column, RowDate *out)
{
    const QVariant v = value(column);
    out->iso = isoDate(v, out);
    if (out->iso)
        return;
    QString t;
    if (!text(column, &t))
        return;
    const QDate d = ValueDate(v);
    out->text = TrimBlanks(d.isValid() ? CanonicalDateText(d) : t);
    if (!d.isValid() && m_mode == Mode::Everything)
        add(RowProblem::NotADate, columnName(column), t);
}

// Invoice lines are also looked up in the master; supplier documents only for
// their unit. False when the master cannot be read.
bool WorkTableReader::tariff(bool invoiceLine, const QString &tariff, QString *cleaned, QString *unit)
{
    CleanedTariffNumber(tariff, invoiceLine, cleaned);
    if (cleaned->size() != 8) {
        add(RowProblem::TariffLength, columnName(5), tariff, *cleaned);
        return true;
    }
    if (invoiceLine) {
        bool known = false;
        if (!m_master->contains(*cleaned, &known)) {
            m_error = QStringLiteral("The query failed: ") + m_master->errorString();
            return false;
        }
        if (!known) {
            add(RowProblem::NotInMaster, columnName(5), tariff, *cleaned);
            return true;
        }
    }
    // The unit comes from the same cleaned number that passed the master check.
    if (!GetUnitForTariff(*m_master, *cleaned, unit)) {
        m_error = QStringLiteral("The query failed: ") + m_master->errorString();
        return false;
    }
    // The unit comes from the master, which is filled from a workbook.
    const qsizetype at = FindCharacterNotInXml(*unit);
    if (at >= 0)
        add(RowProblem::UnitCharacter, columnName(5), tariff, *cleaned, unit->at(at).unicode());
    return true;
}

void WorkTableReader::fits(const QString &column, const QString &shown, const QString &carried)
{
    if (m_mode == Mode::Everything && !FitsSchemaDecimal(carried))
        add(RowProblem::NumberNotFitting, column, shown, carried);
}

// A quantity: integers and finite doubles exactly, other values from their text.
void WorkTableReader::quantity(int column, Decimal *out)
{
    const QVariant v = value(column);
    if (!IsDamagedValue(v) && NumberWithoutText(v, out)) {
        if (m_mode == Mode::Everything)
            fits(columnName(column), ValueText(v), out->toText(2));
        return;
    }
    QString t;
    if (!text(column, &t) && (m_mode == Mode::StopAtFirst || IsDamagedValue(v)))
        return;
    if (!Decimal::fromLeadingText(t, out))
        add(RowProblem::NumberOutOfRange, columnName(column), t);
    else
        fits(columnName(column), t, out->toText(2));
}

// A supplier document's quantity: a number as "0.00", other text unchanged.
void WorkTableReader::documentQuantity(int column, QString *out)
{
    const QVariant v = value(column);
    QString t;
    if (!IsNumericValue(v) && !text(column, &t) && (m_mode == Mode::StopAtFirst || IsDamagedValue(v)))
        return;
    if (!DocumentQuantityText(v, out))
        add(RowProblem::NumberOutOfRange, columnName(column), *out);
    else
        fits(columnName(column), IsNumericValue(v) ? ValueText(v) : t, *out);
}

// The sum of four columns, rounded to whole rupees.
void WorkTableReader::duty(int first, Decimal *out)
{
    Decimal sum;
    bool inRange = true;
    for (int column = first; column < first + 4 && going(); ++column) {
        const QVariant v = value(column);
        Decimal part;
        if (IsDamagedValue(v)) {
            add(RowProblem::DamagedNumber, columnName(column), DamagedValueText(v));
            inRange = false;
            continue;
        }
        if (!ReturnNumber(v, &part)) {
            add(RowProblem::NumberOutOfRange, columnName(column), ValueText(v));
            inRange = false;
        }
        sum = sum + part;
    }
    if (!inRange)
        return;
    *out = sum.rounded(0);
    if (m_mode == Mode::Everything) {
        const QString carried = out->toText(2);
        fits(columnName(first) + QLatin1Char('-') + columnName(first + 3), carried, carried);
    }
}

bool WorkTableReader::next(InvoiceLine *line)
{
    if (!m_query.next())
        return endOfRows();
    m_problems.clear();
    m_stopped = false;
    m_stage = BeforeInvoiceLine;
    serial(&line->serial);
    m_stage = AfterSerial;
    if (going())
        text(2, &line->number);
    m_stage = AfterNumber;
    if (going())
        date(3, &line->date);
    m_stage = AfterDate;
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
    if (!m_query.next())
        return endOfRows();
    SupplierDocument &d = *document;
    m_problems.clear();
    m_stopped = false;
    m_stage = BeforeDocument;
    serial(&d.serial);
    m_stage = AfterDocumentSerial;
    if (going())
        text(2, &d.number);
    m_stage = AfterDocumentNumber;
    if (going())
        date(12, &d.date);
    m_stage = AfterDocumentDate;
    if (going())
        text(13, &d.issuedBy);
    m_stage = AfterIssuedBy;
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
