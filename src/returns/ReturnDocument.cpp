#include "ReturnDocument.h"

#include "Decimal.h"
#include "RegistrationNumber.h"
#include "SchemaValidation.h"
#include "TextRules.h"
#include "WorkTables.h"
#include "app/AppSettings.h"
#include "app/DataConnections.h"
#include "app/UserInterface.h"
#include "app/Values.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kInvoiceSql = QStringLiteral("Select * from STEMP4 Order by Col02");
const QString kDocumentSql = QStringLiteral("Select * from PTEMP5 ORDER BY COL01");
constexpr qsizetype kFlushSize = 64 * 1024;

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

QString badCharacterText(const QString &value, qsizetype at)
{
    return QStringLiteral("Invalid character (code %1)")
        .arg(QString::number(value.at(at).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}
} // namespace

QString CleanedTariffNumber(const QString &col05, bool invoiceLine)
{
    QString cleaned = RemoveBlanks(col05);
    if (invoiceLine && cleaned.contains(QLatin1Char('.')))
        cleaned.remove(QLatin1Char('.'));
    return cleaned;
}

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

void ReturnWriter::raw(const char *text)
{
    m_buffer.append(text);
    m_buffer.append("\r\n", 2);
}

void ReturnWriter::element(const char *tag, const QString &escapedValue)
{
    m_buffer.append('<').append(tag).append('>');
    m_buffer.append(escapedValue.toUtf8());
    m_buffer.append("</", 2).append(tag).append(">\r\n", 3);
}

bool ReturnWriter::flush()
{
    if (m_deviceFailed)
        return false;
    if (m_buffer.isEmpty())
        return true;
    const qint64 written = m_device->write(m_buffer);
    if (written != m_buffer.size()) {
        m_deviceFailed = true;
        const QFileDevice *file = qobject_cast<const QFileDevice *>(m_device);
        const QString name = file ? file->fileName() : QString();
        m_error = QStringLiteral("Could not write the file %1: %2")
                      .arg(name.isEmpty() ? m_inputs.outputPath : name, m_device->errorString());
        return false;
    }
    m_buffer.resize(0); // keeps the capacity: no allocation per batch
    return true;
}

bool ReturnWriter::endDocument(const QString &message)
{
    ShowMessage(message, kAppTitle, 0, 0, true);
    HidePleaseWait();
    m_ended = true;
    return false;
}

// The value of one column as text; a character XML cannot carry ends the
// document with a message naming the row and column.
bool ReturnWriter::take(const QVariant &value, const char *column, QString *text)
{
    *text = ValueText(value);
    const qsizetype at = FindCharacterNotInXml(*text);
    if (at < 0)
        return true;
    return endDocument(badCharacterText(*text, at)
                       + QStringLiteral(" in table %1, SL-NO %2, column %3")
                             .arg(m_table, printable(m_serial), QLatin1String(column)));
}

// The sum of the numbers read from the given columns, rounded to whole rupees
// (halves away from zero), as "0.00".
bool ReturnWriter::amount(const QSqlQuery &query, const QList<int> &indexes, const QList<int> &which, QString *text)
{
    Decimal sum;
    for (int column : which) {
        Decimal part;
        const QString value = ValueText(query.value(indexes.at(column)));
        if (!Decimal::fromLeadingText(value, &part))
            return endDocument(QStringLiteral("Number out of range (%1) in table %2, SL-NO %3, column Col%4")
                                   .arg(printable(value), m_table, printable(m_serial))
                                   .arg(column + 1, 2, 10, QLatin1Char('0')));
        sum = sum + part;
    }
    *text = sum.rounded(0).toText(2);
    return true;
}

// The unit comes from the tariff master, which is filled from a workbook.
bool ReturnWriter::lookUpUnit(TariffMaster &master, const QString &tariff, QString *unit)
{
    if (!master.unitFor(tariff, unit)) {
        m_error = QStringLiteral("The query failed: ") + master.errorString();
        return false;
    }
    const qsizetype at = FindCharacterNotInXml(*unit);
    if (at < 0)
        return true;
    return endDocument(badCharacterText(*unit, at)
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
        m_error = QStringLiteral("The query failed: %1\r\n%2").arg(sql, query->lastError().text());
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

// The first lines of a row, alike in both tables: the serial (Col01) as SL-NO,
// the number in Col02 and the date in the given column.
bool ReturnWriter::rowStart(const QSqlQuery &q, const QList<int> &c, const char *rowTag, const char *numberTag,
                            int dateColumn, const char *dateTag, QString *number)
{
    QString serial, date;
    m_serial = TrimBlanks(ValueText(q.value(c[0])));
    if (!take(q.value(c[0]), "Col01", &serial))
        return false;
    m_buffer.append('<').append(rowTag).append(" SL-NO=\"");
    m_buffer.append(EscapeXmlAttribute(TrimBlanks(serial)).toUtf8()).append("\">\r\n");
    if (!take(q.value(c[1]), "Col02", number))
        return false;
    element(numberTag, EscapeXmlText(TrimBlanks(*number)));
    const QVariant dateValue = q.value(c[dateColumn]);
    const QByteArray column = "Col" + QByteArray::number(dateColumn + 1).rightJustified(2, '0');
    if (!take(dateValue, column.constData(), &date))
        return false;
    element(dateTag, EscapeXmlText(TrimBlanks(dateText(dateValue))));
    return true;
}

// The goods of a row and its closing tag; a full buffer goes to the device.
bool ReturnWriter::rowEnd(const char *closeTag, const QString &product, const QString &tariff, const QString &unit,
                          const QString &quantity, const QString &duty)
{
    raw("<INVOICE-ITEMS>");
    element("DESCRIPTION-OF-GOODS", TrimBlanks(EscapeXmlText(product)));
    element("CETSH-NUMBER", EscapeXmlText(tariff));
    element("QUANTITY-CODE", EscapeXmlText(unit));
    element("QUANTITY", EscapeXmlText(quantity));
    element("AMOUNT-OF-DUTY-INVOLVED", duty);
    raw("</INVOICE-ITEMS>");
    raw(closeTag);
    return m_buffer.size() < kFlushSize || flush();
}

bool ReturnWriter::writeInvoiceLines(TariffMaster &master)
{
    QSqlQuery q;
    QList<int> c;
    if (!openTable(&q, kInvoiceSql, QStringLiteral("STEMP4"), columnNames(10), &c))
        return false;
    m_table = QStringLiteral("STEMP4");
    QString number, product, tariff, cleaned, unit, quantity, duty;
    while (q.next()) {
        if (!rowStart(q, c, "INVOICE-PARTICULARS", "INVOICE-NUMBER", I03, "INVOICE-DATE", &number)
            || !take(q.value(c[I04]), "Col04", &product) || !take(q.value(c[I05]), "Col05", &tariff))
            return false;
        cleaned = CleanedTariffNumber(tariff, true);
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
        if (!lookUpUnit(master, cleaned, &unit))
            return false;
        Decimal parsed;
        const QString quantityText = ValueText(q.value(c[I06]));
        if (!take(q.value(c[I06]), "Col06", &quantity))
            return false;
        if (!Decimal::fromLeadingText(quantityText, &parsed))
            return endDocument(QStringLiteral("Number out of range (%1) in table %2, SL-NO %3, column Col06")
                                   .arg(printable(quantityText), m_table, printable(m_serial)));
        if (!amount(q, c, {I07, I08, I09, I10}, &duty))
            return false;
        if (!rowEnd("</INVOICE-PARTICULARS>", product, cleaned, unit, parsed.toText(2), duty))
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
    QString number, supplier, product, tariff, registration, quantity, issuedBy, address, unit, duty;
    while (q.next()) {
        if (!rowStart(q, c, "DOCUMENT-DETAIL", "INVOICE-BILL-ENTRY-NO", D12, "DATE", &number)
            || !take(q.value(c[D13]), "Col13", &issuedBy))
            return false;
        element("ISSUED-BY", EscapeXmlText(TrimBlanks(issuedBy)));

        if (!take(q.value(c[D03]), "Col03", &supplier) || !take(q.value(c[D10]), "Col10", &registration)
            || !take(q.value(c[D04]), "Col04", &product) || !take(q.value(c[D05]), "Col05", &tariff))
            return false;
        // A number of exactly ten characters is a PAN and is not checked; the
        // row is written in full whatever the check finds.
        const QString registrationTrimmed = TrimBlanks(registration);
        const QString registrationNoBlanks = RemoveBlanks(registrationTrimmed);
        if (registrationTrimmed.size() != 10)
            ValidateRegistrationNumber(registrationNoBlanks, supplier);
        const QString cleaned = CleanedTariffNumber(tariff, false);
        if (cleaned.size() != 8)
            return endDocument(chapterMessage(QStringLiteral("Invalid Chapter No."), cleaned,
                                              QStringLiteral("Supplier Name : "), TrimBlanks(supplier),
                                              TrimBlanks(product)));
        if (!lookUpUnit(master, cleaned, &unit))
            return false;
        if (!take(q.value(c[D14]), "Col14", &address))
            return false;
        address.remove(QStringLiteral("ECC.No.") + registrationNoBlanks, Qt::CaseSensitive);

        const QVariant quantityValue = q.value(c[D11]);
        if (!take(quantityValue, "Col11", &quantity))
            return false;
        Decimal parsed;
        if (isNumeric(quantityValue)) {
            if (!Decimal::fromLeadingText(quantity, &parsed))
                return endDocument(QStringLiteral("Number out of range (%1) in table %2, SL-NO %3, column Col11")
                                       .arg(printable(quantity), m_table, printable(m_serial)));
            quantity = parsed.toText(2);
        } else if (Decimal::fromWholeText(quantity, &parsed)) {
            quantity = parsed.toText(2);
        }
        if (!amount(q, c, {D06, D07, D08, D09}, &duty))
            return false;

        element("REGISTRATION-NUMBER", EscapeXmlText(RemoveBlanks(registration)));
        element("NAME", EscapeXmlText(TrimBlanks(supplier)));
        element("ADDRESS", EscapeXmlText(address));
        if (!rowEnd("</DOCUMENT-DETAIL>", product, cleaned, unit, quantity, duty))
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
    m_device = device;
    m_buffer.clear();
    m_buffer.reserve(kFlushSize + 4096);
    m_error.clear();
    m_deviceFailed = false;
    m_ended = false;
    if (!checkInputs())
        return WriteOutcome::Failed;

    raw("<ACES xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:noNamespaceSchemaLocation=\"ACES_DLR.xsd\">");
    raw("<RETURN ReturnType=\"DLR/IMP\" ToolVer=\"1.0\">");
    raw("<HEADER-DATA>");
    element("RETURN-YEAR", EscapeXmlText(m_inputs.year));
    element("QUARTER", EscapeXmlText(m_inputs.quarter));
    element("DEALER-NAME", QStringLiteral(" ") + EscapeXmlText(m_inputs.dealerName));
    element("REGISTRATION-NUMBER", EscapeXmlText(m_inputs.registrationNumber));
    raw("<NIL-RETURN>No</NIL-RETURN>");
    raw("</HEADER-DATA>");
    raw("<INVOICE-HEADER>");

    TariffMaster master(m_programConnection);
    bool done = writeInvoiceLines(master);
    if (done) {
        raw("</INVOICE-HEADER>");
        raw("<DOCUMENT-HEADER>");
        done = writeSupplierDocuments(master);
    }
    if (done) {
        raw("</DOCUMENT-HEADER>");
        raw("<SELF-ASSESSMENT-MEMORANDAM>");
        const QDate date = ValueDate(m_inputs.date);
        element("DATE", EscapeXmlText(date.isValid() ? CanonicalDateText(date) : m_inputs.date));
        element("PLACE", EscapeXmlText(m_inputs.place));
        element("REMARKS", EscapeXmlText(m_inputs.remarks));
        raw("</SELF-ASSESSMENT-MEMORANDAM>");
        raw("</RETURN>");
        raw("</ACES>");
    }
    if (!done && !m_ended)
        return WriteOutcome::Failed;
    // An ended document keeps every line written so far, the failing row's first lines included.
    if (!flush())
        return WriteOutcome::Failed;
    return m_ended ? WriteOutcome::Ended : WriteOutcome::Complete;
}

WriteOutcome WriteReturnDocument(const ReturnInputs &inputs)
{
    ReturnWriter writer(inputs, settings().cnCompany, settings().cnProgram);
    auto fail = [](const QString &message) {
        HidePleaseWait();
        ShowMessage(message, kAppTitle, 0, 0, true);
        return WriteOutcome::Failed;
    };
    if (!writer.checkInputs())
        return fail(writer.errorString());
    // The accounting system may have written the work tables after the company
    // was chosen; the FoxPro connection learns of new files only when asked.
    QString refreshError;
    if (settings().blnFoxPro && !RefreshFoxProConnection(settings().cnCompany, &refreshError))
        return fail(refreshError);

    const QString path = inputs.outputPath;
    QFile old(path);
    if (QFileInfo::exists(path) && !old.remove())
        return fail(QStringLiteral("Could not delete the file %1: %2").arg(path, old.errorString()));

    // Written beside the target and put in place at the end, so a crash never
    // leaves half a return under the final name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Could not create the file %1: %2").arg(path, file.errorString()));
    const WriteOutcome outcome = writer.write(&file);
    if (outcome == WriteOutcome::Failed) {
        file.cancelWriting();
        return fail(writer.errorString());
    }
    if (!file.commit())
        return fail(QStringLiteral("Could not write the file %1: %2").arg(path, file.errorString()));
    return outcome;
}
