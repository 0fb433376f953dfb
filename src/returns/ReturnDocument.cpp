#include "ReturnDocument.h"

#include "Decimal.h"
#include "RegistrationNumber.h"
#include "SchemaValidation.h"
#include "StagedFile.h"
#include "XmlOutput.h"
#include "TextRules.h"
#include "WorkTables.h"
#include "app/AppSettings.h"
#include "app/DataConnections.h"
#include "app/UserInterface.h"
#include "app/Values.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <charconv>

namespace {
const QString kInvoiceSql = QStringLiteral("Select * from STEMP4 Order by Col02");
const QString kDocumentSql = QStringLiteral("Select * from PTEMP5 ORDER BY COL01");

// Column positions in the lists handed to openTable.
enum InvoiceColumn { I01, I02, I03, I04, I05, I06, I07, I08, I09, I10 };
enum DocumentColumn { D01, D02, D03, D04, D05, D06, D07, D08, D09, D10, D11, D12, D13, D14 };

QStringList columnNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("Col%1").arg(i, 2, 10, QLatin1Char('0'));
    return names;
}

QString chapterMessage(const QString &text, const QString &cleaned, const QString &label, const QString &value,
                       const QString &product)
{
    return text + cleaned + QStringLiteral("\r\n") + label + value + QStringLiteral("\r\nProduct Name : ")
           + product;
}

// A date column as "dd/mm/yyyy"; a value that is no date is written as it is.
QString dateText(const QVariant &value)
{
    const QDate date = ValueDate(value);
    return date.isValid() ? CanonicalDateText(date) : ValueText(value);
}

bool isNumeric(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return !value.isNull();
    default:
        return false;
    }
}

QString printable(const QString &text)
{
    QString out = text;
    for (qsizetype i = FindCharacterNotInXml(out); i >= 0; i = FindCharacterNotInXml(out))
        out[i] = QLatin1Char('?');
    return out;
}

bool isInteger(const QVariant &value)
{
    return (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) && !value.isNull();
}

// TrimBlanks without a copy.
QStringView trimmedView(QStringView text)
{
    while (!text.isEmpty() && text.front() == QLatin1Char(' '))
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

// "yyyy-mm-dd", the way every table reader hands out a date: its digits, or
// false for anything else (which then takes the general road).
bool isoDate(const QVariant &value, int *year, int *month, int *day)
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
    *year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    *month = digits[4] * 10 + digits[5];
    *day = digits[6] * 10 + digits[7];
    return *year >= 1000 && QDate::isValid(*year, *month, *day);
}

QString badCharacterText(const QString &value, qsizetype at)
{
    return QStringLiteral("Invalid character (code %1)")
        .arg(QString::number(value.at(at).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}
} // namespace

namespace {
// Integers and finite doubles are taken exactly, without their text.
bool numberWithoutText(const QVariant &value, Decimal *out)
{
    if (isInteger(value)) {
        *out = Decimal::fromInteger(value.toLongLong());
        return true;
    }
    return value.typeId() == QMetaType::Double && !value.isNull() && Decimal::fromDouble(value.toDouble(), out);
}
} // namespace

bool IsDamagedValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QByteArray && !value.isNull();
}

QString DamagedValueText(const QVariant &value)
{
    return TrimBlanks(QString::fromLatin1(value.toByteArray()));
}

bool ReturnNumber(const QVariant &value, Decimal *out)
{
    return numberWithoutText(value, out) || Decimal::fromLeadingText(ValueText(value), out);
}

bool DocumentQuantityText(const QVariant &value, QString *text)
{
    Decimal parsed;
    if (isNumeric(value)) {
        if (!ReturnNumber(value, &parsed)) {
            *text = ValueText(value);
            return false;
        }
        *text = parsed.toText(2);
        return true;
    }
    *text = ValueText(value);
    if (Decimal::fromWholeText(*text, &parsed))
        *text = parsed.toText(2);
    return true;
}

QString CleanedTariffNumber(const QString &col05, bool invoiceLine)
{
    QString cleaned = RemoveBlanks(col05);
    if (invoiceLine && cleaned.contains(QLatin1Char('.')))
        cleaned.remove(QLatin1Char('.'));
    return cleaned;
}

namespace {
// `text` without the characters `drop` names, into `out`, whose memory is
// kept from row to row.
template<typename Drop> void copyWithout(QStringView text, Drop drop, QString *out)
{
    out->truncate(0);
    for (QChar c : text)
        if (!drop(c))
            out->append(c);
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

bool isBlankOrDot(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('.');
}
} // namespace

ReturnWriter::ReturnWriter(const ReturnInputs &inputs, const QString &companyConnection,
                           const QString &programConnection)
    : m_inputs(inputs)
    , m_companyConnection(companyConnection)
    , m_programConnection(programConnection)
{
}

ReturnWriter::~ReturnWriter() = default;

bool ReturnWriter::checkInputs()
{
    const std::pair<const QString *, const char *> fields[] = {
        {&m_inputs.year, "Year"},
        {&m_inputs.quarter, "Quarter"},
        {&m_inputs.dealerName, "Dealer Name"},
        {&m_inputs.registrationNumber, "Registration Number"},
        {&m_inputs.date, "Date"},
        {&m_inputs.place, "Place"},
        {&m_inputs.remarks, "Remarks"},
    };
    for (const auto &[value, name] : fields) {
        const qsizetype at = FindCharacterNotInXml(*value);
        if (at >= 0) {
            m_error = badCharacterText(*value, at) + QStringLiteral(" in ") + QLatin1String(name);
            return false;
        }
    }
    return true;
}

bool ReturnWriter::endDocument(const QString &message)
{
    m_endMessage = message;
    m_ended = true;
    return false;
}

QString ReturnWriter::serialText() const
{
    return printable(TrimBlanks(ValueText(m_serial)));
}

// The value of one column as text; a character XML cannot carry ends the
// document with a message naming the row and column.
bool ReturnWriter::take(const QVariant &value, const char *column, QString *text)
{
    if (!intact(value, column))
        return false;
    *text = ValueText(value);
    const qsizetype at = FindCharacterNotInXml(*text);
    if (at < 0)
        return true;
    return endDocument(badCharacterText(*text, at)
                       + QStringLiteral(" in table %1, SL-NO %2, column %3").arg(m_table, serialText(), QLatin1String(column)));
}

// A table reader hands a numeric field that holds no number (an overflow
// mark, stray text) as raw bytes: damaged data, never read as 0.
bool ReturnWriter::intact(const QVariant &value, const char *column)
{
    if (!IsDamagedValue(value))
        return true;
    return endDocument(QStringLiteral("Not a number (%1) in table %2, SL-NO %3, column %4: the numeric field is damaged")
                           .arg(printable(DamagedValueText(value)), m_table, serialText(), QLatin1String(column)));
}

// The row's serial number as the SL-NO attribute: `opening`, the value's text
// trimmed and escaped, then `">`. A character XML cannot carry ends the
// document before anything of the line is written.
bool ReturnWriter::putSerial(const char *opening, qsizetype openingLength)
{
    if (isInteger(m_serial)) { // digits and a sign: nothing to check, trim or escape
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, m_serial.toLongLong()).ptr;
        m_out.put(opening, openingLength);
        m_out.put(digits, end - digits);
    } else {
        QString text;
        if (!take(m_serial, "Col01", &text))
            return false;
        m_out.put(opening, openingLength);
        m_out.putXml(trimmedView(text), XmlOutput::Escape::Attribute);
    }
    m_out.put("\">\r\n");
    return true;
}

// A date column as "dd/mm/yyyy"; a value that is no date is written as it is.
bool ReturnWriter::putDate(const char *tag, const QVariant &value, const char *column)
{
    const qsizetype tagLength = qsizetype(strlen(tag));
    int year, month, day;
    if (isoDate(value, &year, &month, &day)) {
        char *out = m_out.room(2 * tagLength + 20);
        const char *const start = out;
        *out++ = '<';
        memcpy(out, tag, size_t(tagLength));
        out += tagLength;
        *out++ = '>';
        const int parts[] = {day / 10, day % 10, -1, month / 10, month % 10, -1,
                             year / 1000, year / 100 % 10, year / 10 % 10, year % 10};
        for (int d : parts)
            *out++ = d < 0 ? '/' : char('0' + d);
        memcpy(out, "</", 2);
        out += 2;
        memcpy(out, tag, size_t(tagLength));
        out += tagLength;
        memcpy(out, ">\r\n", 3);
        out += 3;
        m_out.advance(out - start);
        return true;
    }
    QString text;
    if (!take(value, column, &text))
        return false;
    const QString date = TrimBlanks(dateText(value));
    m_out.put("<", 1);
    m_out.put(tag, tagLength);
    m_out.put(">", 1);
    m_out.putXml(date, XmlOutput::Escape::Text);
    m_out.put("</", 2);
    m_out.put(tag, tagLength);
    m_out.put(">\r\n", 3);
    return true;
}

// The number in one column, read as the value's text reads (see Decimal); a
// number out of range ends the document. With `checkCharacters` the text must
// also be fit for XML, and `text` receives it.
bool ReturnWriter::readNumber(const QVariant &value, const char *column, bool checkCharacters, Decimal *out,
                          QString *text)
{
    if (!intact(value, column))
        return false;
    if (numberWithoutText(value, out))
        return true;
    QString own;
    QString &valueText = text ? *text : own;
    if (checkCharacters) {
        if (!take(value, column, &valueText))
            return false;
    } else {
        valueText = ValueText(value);
    }
    if (Decimal::fromLeadingText(valueText, out))
        return true;
    return endDocument(QStringLiteral("Number out of range (%1) in table %2, SL-NO %3, column %4")
                           .arg(printable(valueText), m_table, serialText(), QLatin1String(column)));
}

// The sum of the numbers read from the given columns, rounded to whole rupees
// (halves away from zero), as "0.00".
bool ReturnWriter::amount(const QSqlQuery &query, const QList<int> &indexes, std::initializer_list<int> which,
                          QString *text)
{
    static const char *const names[] = {"Col01", "Col02", "Col03", "Col04", "Col05", "Col06", "Col07",
                                        "Col08", "Col09", "Col10", "Col11", "Col12", "Col13", "Col14"};
    Decimal sum;
    for (int column : which) {
        Decimal part;
        if (!readNumber(query.value(indexes.at(column)), names[column], false, &part))
            return false;
        sum = sum + part;
    }
    *text = sum.rounded(0).toText(2);
    return true;
}

// The unit comes from the tariff master, which is filled from a workbook.
bool ReturnWriter::checkUnit(const QString &unit, const QString &tariff)
{
    const qsizetype at = FindCharacterNotInXml(unit);
    if (at < 0)
        return true;
    return endDocument(badCharacterText(unit, at)
                       + QStringLiteral(" in table Import, TariffNo %1, column Unit").arg(printable(tariff)));
}

bool ReturnWriter::openTable(QSqlQuery *query, const QString &sql, const QString &table,
                             const QStringList &columns, QList<int> *indexes)
{
    const QSqlDatabase db = QSqlDatabase::database(m_companyConnection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("The query failed: %1\r\nThe company's data are not open.").arg(sql);
        return false;
    }
    *query = QSqlQuery(db);
    query->setForwardOnly(true);
    if (!query->exec(sql)) {
        m_error = WorkTableQueryFailure(m_companyConnection, table, sql, query->lastError());
        return false;
    }
    const QSqlRecord record = query->record();
    indexes->clear();
    for (const QString &name : columns) {
        const int at = record.indexOf(name); // letter case ignored
        if (at < 0) {
            m_error = QStringLiteral("The table %1 has no column %2.").arg(table, name);
            return false;
        }
        indexes->append(at);
    }
    return true;
}

void ReturnWriter::goods(QStringView product, QStringView cleaned, QStringView unit, QStringView quantity,
                         QStringView duty)
{
    m_out.raw("<INVOICE-ITEMS>");
    m_out.element("DESCRIPTION-OF-GOODS", trimmedView(product));
    m_out.element("CETSH-NUMBER", cleaned);
    m_out.element("QUANTITY-CODE", unit);
    m_out.element("QUANTITY", quantity);
    m_out.element("AMOUNT-OF-DUTY-INVOLVED", duty);
    m_out.raw("</INVOICE-ITEMS>");
}

bool ReturnWriter::writeInvoiceLines(TariffMaster &master)
{
    QSqlQuery q;
    QList<int> c;
    if (!openTable(&q, kInvoiceSql, QStringLiteral("STEMP4"), columnNames(10), &c))
        return false;
    m_table = QStringLiteral("STEMP4");
    QString number, product, tariff, cleaned, unit, duty;
    Decimal quantity;
    while (q.next()) {
        m_serial = q.value(c[I01]);
        static const char opening[] = "<INVOICE-PARTICULARS SL-NO=\"";
        if (!putSerial(opening, sizeof opening - 1))
            return false;
        if (!take(q.value(c[I02]), "Col02", &number))
            return false;
        m_out.element("INVOICE-NUMBER", trimmedView(number));
        if (!putDate("INVOICE-DATE", q.value(c[I03]), "Col03"))
            return false;

        if (!take(q.value(c[I04]), "Col04", &product) || !take(q.value(c[I05]), "Col05", &tariff))
            return false;
        copyWithout(tariff, isBlankOrDot, &cleaned); // CleanedTariffNumber(tariff, true)
        if (cleaned.size() != 8)
            return endDocument(chapterMessage(QStringLiteral("Invalid Chapter No."), cleaned,
                                              QStringLiteral("Excise Invoice No. : "), TrimBlanks(number),
                                              TrimBlanks(product)));
        bool known = false;
        if (!master.contains(cleaned, &known)) {
            m_error = QStringLiteral("The query failed: ") + master.errorString();
            return false;
        }
        if (!known)
            return endDocument(chapterMessage(QStringLiteral("Chapter No. does not exits in Master "), cleaned,
                                              QStringLiteral("Excise Invoice No. : "), TrimBlanks(number),
                                              TrimBlanks(product)));
        // The unit comes from the same cleaned number that passed the master check.
        if (!master.unitFor(cleaned, &unit)) {
            m_error = QStringLiteral("The query failed: ") + master.errorString();
            return false;
        }
        if (!checkUnit(unit, cleaned))
            return false;
        if (!readNumber(q.value(c[I06]), "Col06", true, &quantity))
            return false;
        if (!amount(q, c, {I07, I08, I09, I10}, &duty))
            return false;

        goods(product, cleaned, unit, quantity.toText(2), duty);
        m_out.raw("</INVOICE-PARTICULARS>");
        if (!m_out.flushIfFull())
            return false;
    }
    if (q.lastError().isValid()) {
        m_error = QStringLiteral("The query failed: %1\r\n%2").arg(kInvoiceSql, q.lastError().text());
        return false;
    }
    return true;
}

bool ReturnWriter::writeSupplierDocuments(TariffMaster &master)
{
    QSqlQuery q;
    QList<int> c;
    if (!openTable(&q, kDocumentSql, QStringLiteral("PTEMP5"), columnNames(14), &c))
        return false;
    m_table = QStringLiteral("PTEMP5");
    QString number, supplier, product, tariff, registration, registrationNoBlanks, cleaned, quantity, issuedBy,
        address, unit, duty, needle;
    while (q.next()) {
        m_serial = q.value(c[D01]);
        static const char opening[] = "<DOCUMENT-DETAIL SL-NO=\"";
        if (!putSerial(opening, sizeof opening - 1))
            return false;
        if (!take(q.value(c[D02]), "Col02", &number))
            return false;
        m_out.element("INVOICE-BILL-ENTRY-NO", trimmedView(number));
        if (!putDate("DATE", q.value(c[D12]), "Col12"))
            return false;
        if (!take(q.value(c[D13]), "Col13", &issuedBy))
            return false;
        m_out.element("ISSUED-BY", trimmedView(issuedBy));

        if (!take(q.value(c[D03]), "Col03", &supplier) || !take(q.value(c[D10]), "Col10", &registration)
            || !take(q.value(c[D04]), "Col04", &product) || !take(q.value(c[D05]), "Col05", &tariff))
            return false;
        // A number of exactly ten characters is a PAN and is not checked; the
        // row is written in full whatever the check finds.
        copyWithout(registration, isBlank, &registrationNoBlanks);
        if (trimmedView(registration).size() != 10)
            if (const std::optional<RegistrationFault> fault = FindRegistrationFault(registrationNoBlanks))
                m_notices << RegistrationMessage(fault->mode, registrationNoBlanks, supplier);
        copyWithout(tariff, isBlank, &cleaned); // CleanedTariffNumber(tariff, false)
        if (cleaned.size() != 8)
            return endDocument(chapterMessage(QStringLiteral("Invalid Chapter No."), cleaned,
                                              QStringLiteral("Supplier Name : "), TrimBlanks(supplier),
                                              TrimBlanks(product)));
        if (!master.unitFor(cleaned, &unit)) {
            m_error = QStringLiteral("The query failed: ") + master.errorString();
            return false;
        }
        if (!checkUnit(unit, cleaned))
            return false;
        if (!take(q.value(c[D14]), "Col14", &address))
            return false;
        needle.truncate(0);
        needle.append(QLatin1String("ECC.No.")).append(registrationNoBlanks);

        // A number's text holds nothing XML cannot carry; other text is checked.
        const QVariant quantityValue = q.value(c[D11]);
        if (!isNumeric(quantityValue) && !take(quantityValue, "Col11", &quantity))
            return false;
        if (!DocumentQuantityText(quantityValue, &quantity))
            return endDocument(QStringLiteral("Number out of range (%1) in table %2, SL-NO %3, column Col11")
                                   .arg(printable(quantity), m_table, serialText()));
        if (!amount(q, c, {D06, D07, D08, D09}, &duty))
            return false;

        m_out.element("REGISTRATION-NUMBER", registrationNoBlanks);
        m_out.element("NAME", trimmedView(supplier));
        m_out.elementWithout("ADDRESS", address, needle);
        goods(product, cleaned, unit, quantity, duty);
        m_out.raw("</DOCUMENT-DETAIL>");
        if (!m_out.flushIfFull())
            return false;
    }
    if (q.lastError().isValid()) {
        m_error = QStringLiteral("The query failed: %1\r\n%2").arg(kDocumentSql, q.lastError().text());
        return false;
    }
    return true;
}

WriteOutcome ReturnWriter::write(QIODevice *device)
{
    m_out.start(device, m_inputs.outputPath);
    m_error.clear();
    m_notices.clear();
    m_endMessage.clear();
    m_ended = false;
    if (!checkInputs())
        return WriteOutcome::Failed;

    m_out.raw("<ACES xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:noNamespaceSchemaLocation=\"ACES_DLR.xsd\">");
    m_out.raw("<RETURN ReturnType=\"DLR/IMP\" ToolVer=\"1.0\">");
    m_out.raw("<HEADER-DATA>");
    m_out.element("RETURN-YEAR", m_inputs.year);
    m_out.element("QUARTER", m_inputs.quarter);
    m_out.element("DEALER-NAME", QString(QLatin1Char(' ') + m_inputs.dealerName));
    m_out.element("REGISTRATION-NUMBER", m_inputs.registrationNumber);
    m_out.raw("<NIL-RETURN>No</NIL-RETURN>");
    m_out.raw("</HEADER-DATA>");
    m_out.raw("<INVOICE-HEADER>");

    TariffMaster master(m_programConnection);
    bool done = writeInvoiceLines(master);
    if (done) {
        m_out.raw("</INVOICE-HEADER>");
        m_out.raw("<DOCUMENT-HEADER>");
        done = writeSupplierDocuments(master);
    }
    if (done) {
        m_out.raw("</DOCUMENT-HEADER>");
        m_out.raw("<SELF-ASSESSMENT-MEMORANDAM>");
        const QDate date = ValueDate(m_inputs.date);
        m_out.element("DATE", date.isValid() ? CanonicalDateText(date) : m_inputs.date);
        m_out.element("PLACE", m_inputs.place);
        m_out.element("REMARKS", m_inputs.remarks);
        m_out.raw("</SELF-ASSESSMENT-MEMORANDAM>");
        m_out.raw("</RETURN>");
        m_out.raw("</ACES>");
    }
    if (!done && !m_ended)
        return WriteOutcome::Failed;
    // An ended document keeps every line written so far, the failing row's first lines included.
    if (!m_out.flush())
        return WriteOutcome::Failed;
    return m_ended ? WriteOutcome::Ended : WriteOutcome::Complete;
}

WriteOutcome WriteReturnDocument(const ReturnInputs &inputs, StagedFile *file)
{
    ReturnWriter writer(inputs, settings().cnCompany, settings().cnProgram);
    // What the writer found comes first, in its order, then why it stopped.
    auto showNotices = [&writer] {
        for (const QString &notice : writer.notices())
            ShowMessage(notice, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
    };
    auto fail = [file, &showNotices](const QString &message) {
        file->discard();
        showNotices();
        HidePleaseWait();
        ShowMessage(message, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        return WriteOutcome::Failed;
    };
    if (!writer.checkInputs())
        return fail(writer.errorString());
    // The accounting system may have written the work tables after the company
    // was chosen; the FoxPro connection learns of new files only when asked.
    QString refreshError;
    if (settings().blnFoxPro && !RefreshFoxProConnection(settings().cnCompany, &refreshError))
        return fail(refreshError);

    // Written under a staging name: an earlier return of the same name stays
    // as it is until the caller puts a complete, valid one in its place.
    QString error;
    if (!file->create(&error))
        return fail(error);
    const WriteOutcome outcome = writer.write(file);
    if (outcome == WriteOutcome::Failed)
        return fail(writer.errorString());
    if (!file->finish(&error))
        return fail(error);
    showNotices();
    if (outcome == WriteOutcome::Ended) {
        // The user sees why the document stops while the indicator goes.
        ShowMessage(writer.endMessage(), kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        HidePleaseWait();
    }
    return outcome;
}
