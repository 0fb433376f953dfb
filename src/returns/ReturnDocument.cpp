#include "ReturnDocument.h"

#include "Decimal.h"
#include "RegistrationNumber.h"
#include "ReturnQuarter.h"
#include "SchemaValidation.h"
#include "TextRules.h"
#include "WorkTableRecords.h"
#include "WorkTableValues.h"
#include "WorkTables.h"
#include "XmlOutput.h"
#include "app/Values.h"

#include <QIODevice>

#include <charconv>
#include <cstring>

namespace {
QString chapterMessage(const QString &text, const QString &cleaned, const QString &label, const QString &value,
                       const QString &product)
{
    return text + cleaned + QStringLiteral("\r\n") + label + value + QStringLiteral("\r\nProduct Name : ") + product;
}

QString badCharacterText(char16_t code)
{
    return QStringLiteral("Invalid character (code %1)").arg(CharacterCodeText(code));
}
} // namespace

ReturnInputs DefaultReturnInputs(const QDate &today)
{
    return {QString::number(today.year()), ReturnQuarterNames().first(), QString(),
            CanonicalDateText(today),      QStringLiteral("MUMBAI"),     QStringLiteral("EXCISE RETURN")};
}

ReturnWriter::ReturnWriter(const ReturnInputs &inputs, const QString &dealerName, const QString &companyConnection,
                           const QString &programConnection)
    : m_inputs(inputs)
    , m_dealerName(dealerName)
    , m_companyConnection(companyConnection)
    , m_programConnection(programConnection)
{
}

ReturnWriter::~ReturnWriter() = default;

bool ReturnWriter::checkInputs()
{
    const std::pair<const QString *, const char *> fields[] = {
        {&m_inputs.year, "Year"},       {&m_inputs.quarter, "Quarter"},
        {&m_dealerName, "Dealer Name"}, {&m_inputs.registrationNumber, "Registration Number"},
        {&m_inputs.date, "Date"},       {&m_inputs.place, "Place"},
        {&m_inputs.remarks, "Remarks"},
    };
    for (const auto &[value, name] : fields) {
        const qsizetype at = FindCharacterNotInXml(*value);
        if (at >= 0) {
            m_error = badCharacterText(value->at(at).unicode()) + QStringLiteral(" in ") + QLatin1String(name);
            return false;
        }
    }
    return true;
}

QString ReturnWriter::serialText() const
{
    return PrintableText(TrimBlanks(ValueText(m_serial)));
}

// The row stops the document: its message, in the writer's words.
bool ReturnWriter::endDocument(const RowProblem &problem, const QString &label, const QString &labelValue,
                               const QString &product)
{
    const QString where =
        QStringLiteral(" in table %1, SL-NO %2, column %3").arg(m_table, serialText(), problem.column);
    switch (problem.kind) {
    case RowProblem::DamagedNumber:
        m_endMessage = QStringLiteral("Not a number (%1)").arg(PrintableText(problem.value)) + where
                       + QStringLiteral(": the numeric field is damaged");
        break;
    case RowProblem::BadCharacter:
        m_endMessage = badCharacterText(problem.code) + where;
        break;
    case RowProblem::NumberOutOfRange:
        m_endMessage = QStringLiteral("Number out of range (%1)").arg(PrintableText(problem.value)) + where;
        break;
    case RowProblem::NotANumber:
        m_endMessage = QStringLiteral("Not a number (%1)").arg(PrintableText(TrimBlanks(problem.value))) + where;
        break;
    case RowProblem::NotADate:
        m_endMessage = QStringLiteral("Not a date (%1)").arg(PrintableText(TrimBlanks(problem.value))) + where
                       + QStringLiteral(": the return needs a day that exists, DD/MM/YYYY");
        break;
    case RowProblem::NumberNotFitting:
        m_endMessage =
            QStringLiteral("Number too large for the return (%1)").arg(PrintableText(problem.detail)) + where;
        break;
    case RowProblem::TariffLength:
    case RowProblem::NotInMaster:
        m_endMessage = chapterMessage(problem.kind == RowProblem::TariffLength
                                          ? QStringLiteral("Invalid Chapter No.")
                                          : QStringLiteral("Chapter No. does not exits in Master "),
                                      problem.detail, label, TrimBlanks(labelValue), TrimBlanks(product));
        break;
    case RowProblem::UnitCharacter:
        m_endMessage =
            badCharacterText(problem.code)
            + QStringLiteral(" in table Import, TariffNo %1, column Unit").arg(PrintableText(problem.detail));
        break;
    default:
        m_endMessage = problem.value;
    }
    m_ended = true;
    return false;
}

// The row's serial number as the SL-NO attribute: `opening`, the value's text
// trimmed and escaped, then `">`.
void ReturnWriter::putSerial(std::string_view opening)
{
    m_out.put(opening.data(), qsizetype(opening.size()));
    if (IsIntegerValue(m_serial)) { // digits and a sign: nothing to trim or escape
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, m_serial.toLongLong()).ptr;
        m_out.put(digits, end - digits);
    } else {
        m_out.putXml(TrimBlanksView(ValueText(m_serial)), XmlOutput::Escape::Attribute);
    }
    m_out.put("\">\r\n");
}

// A date column as "dd/mm/yyyy"; a value that is no date is written as it is.
void ReturnWriter::putDate(std::string_view tag, const RowDate &date)
{
    const qsizetype tagLength = qsizetype(tag.size());
    if (!date.iso) {
        m_out.element(tag.data(), tagLength, date.text);
        return;
    }
    char *out = m_out.room(2 * tagLength + 20);
    const char *const start = out;
    *out++ = '<';
    memcpy(out, tag.data(), tag.size());
    out += tagLength;
    *out++ = '>';
    const int parts[] = {date.day / 10,    date.day % 10,        -1,
                         date.month / 10,  date.month % 10,      -1,
                         date.year / 1000, date.year / 100 % 10, date.year / 10 % 10,
                         date.year % 10};
    for (int d : parts)
        *out++ = d < 0 ? '/' : char('0' + d);
    memcpy(out, "</", 2);
    out += 2;
    memcpy(out, tag.data(), tag.size());
    out += tagLength;
    memcpy(out, ">\r\n", 3);
    out += 3;
    m_out.advance(out - start);
}

void ReturnWriter::goods(QStringView product, QStringView cleaned, QStringView unit, QStringView quantity,
                         QStringView duty)
{
    m_out.raw("<INVOICE-ITEMS>");
    m_out.element("DESCRIPTION-OF-GOODS", TrimBlanksView(product));
    m_out.element("CETSH-NUMBER", cleaned);
    m_out.element("QUANTITY-CODE", unit);
    m_out.element("QUANTITY", quantity);
    m_out.element("AMOUNT-OF-DUTY-INVOLVED", duty);
    m_out.raw("</INVOICE-ITEMS>");
}

// The walk over a table ended: its failure or Cancel, or on to the next part.
bool ReturnWriter::walked(const WorkTableReader &reader, WorkTableReader::Walk walk)
{
    m_cancelled = walk == WorkTableReader::Walk::Cancelled;
    if (walk == WorkTableReader::Walk::Failed)
        m_error = reader.errorString();
    return walk == WorkTableReader::Walk::Done;
}

// A row's first lines, the element with its SL-NO, its number and its date,
// as far as they come before its problem; how far the row may be written.
RowStage ReturnWriter::startRow(const WorkTableReader &reader, const RowOpening &opening, const QVariant &serial,
                                const QString &number, const RowDate &date)
{
    m_table = reader.table();
    m_serial = serial;
    const RowProblem *stop = reader.stop();
    const RowStage stage = stop ? stop->stage : RowStage::Whole;
    if (stage >= RowStage::Serial)
        putSerial(opening.element);
    if (stage >= RowStage::Number)
        m_out.element(opening.numberTag.data(), qsizetype(opening.numberTag.size()), TrimBlanksView(number));
    if (stage >= RowStage::Date)
        putDate(opening.dateTag, date);
    return stage;
}

// A row that stops the document keeps the lines written before its problem
// was met (its SL-NO, number and date as far as they were read). After each
// row the batch goes out once full.
bool ReturnWriter::writeInvoiceLines(TariffMaster &master)
{
    WorkTableReader reader(m_companyConnection, &master, WorkTableReader::Mode::StopAtFirst);
    const QString label = QStringLiteral("Excise Invoice No. : ");
    const auto walk = reader.walk<InvoiceLine>(
        WorkTable::InvoiceLines, QStringLiteral("Invoice lines"), [&](const InvoiceLine &line) {
            static constexpr RowOpening opening{"<INVOICE-PARTICULARS SL-NO=\"", "INVOICE-NUMBER", "INVOICE-DATE"};
            const RowStage stage = startRow(reader, opening, line.serial, line.number, line.date);
            if (stage != RowStage::Whole)
                return endDocument(*reader.stop(), label, line.number, line.product);
            goods(line.product, line.cleaned, line.unit, line.quantity.toText(2), line.duty.toText(2));
            m_out.raw("</INVOICE-PARTICULARS>");
            return m_out.flushIfFull();
        });
    return walked(reader, walk);
}

bool ReturnWriter::writeSupplierDocuments(TariffMaster &master)
{
    WorkTableReader reader(m_companyConnection, &master, WorkTableReader::Mode::StopAtFirst);
    const QString label = QStringLiteral("Supplier Name : ");
    QString needle;
    const auto walk = reader.walk<SupplierDocument>(
        WorkTable::SupplierDocuments, QStringLiteral("Supplier documents"), [&](const SupplierDocument &d) {
            static constexpr RowOpening opening{"<DOCUMENT-DETAIL SL-NO=\"", "INVOICE-BILL-ENTRY-NO", "DATE"};
            const RowStage stage = startRow(reader, opening, d.serial, d.number, d.date);
            if (stage >= RowStage::IssuedBy)
                m_out.element("ISSUED-BY", TrimBlanksView(d.issuedBy));
            // The row is written in full whatever the registration check finds.
            if (d.registrationFault)
                m_notices << RegistrationMessage(d.registrationFault->mode, d.registrationNoBlanks, d.supplier);
            if (stage != RowStage::Whole)
                return endDocument(*reader.stop(), label, d.supplier, d.product);
            needle.truncate(0);
            needle.append(QLatin1String("ECC.No.")).append(d.registrationNoBlanks);
            m_out.element("REGISTRATION-NUMBER", d.registrationNoBlanks);
            m_out.element("NAME", TrimBlanksView(d.supplier));
            m_out.elementWithout("ADDRESS", d.address, needle);
            goods(d.product, d.cleaned, d.unit, d.quantity, d.duty.toText(2));
            m_out.raw("</DOCUMENT-DETAIL>");
            return m_out.flushIfFull();
        });
    return walked(reader, walk);
}

WriteOutcome ReturnWriter::write(QIODevice *device, const QString &fileName, StreamValidator *validator)
{
    m_out.start(device, fileName);
    if (validator)
        m_out.setTap([validator](const char *data, qsizetype size) { validator->feed(data, size); });
    else
        m_out.setTap({});
    m_error.clear();
    m_notices.clear();
    m_endMessage.clear();
    m_ended = false;
    m_cancelled = false;
    if (!checkInputs())
        return WriteOutcome::Failed;

    m_out.raw("<ACES xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
              "xsi:noNamespaceSchemaLocation=\"ACES_DLR.xsd\">");
    m_out.raw("<RETURN ReturnType=\"DLR/IMP\" ToolVer=\"1.0\">");
    m_out.raw("<HEADER-DATA>");
    m_out.element("RETURN-YEAR", m_inputs.year);
    m_out.element("QUARTER", m_inputs.quarter);
    m_out.element("DEALER-NAME", QString(QLatin1Char(' ') + m_dealerName));
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
    if (m_cancelled)
        return WriteOutcome::Cancelled;
    if (!done && !m_ended)
        return WriteOutcome::Failed;
    // An ended document keeps every line written so far, the failing row's first lines included.
    if (!m_out.flush())
        return WriteOutcome::Failed;
    return m_ended ? WriteOutcome::Ended : WriteOutcome::Complete;
}
