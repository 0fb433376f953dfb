#include "ReturnWorkbook.h"

#include "QuarterSummary.h"
#include "returns/SchemaValidation.h"
#include "app/AppSettings.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <libxml/xmlreader.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
// Leaf elements of one part of the return by name, their text unescaped.
using Fields = QHash<QByteArray, QString>;

void collectLeaves(xmlNodePtr node, Fields *out)
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        bool leaf = true;
        for (xmlNodePtr c = child->children; c; c = c->next)
            leaf = leaf && c->type != XML_ELEMENT_NODE;
        if (!leaf) {
            collectLeaves(child, out);
            continue;
        }
        xmlChar *text = xmlNodeGetContent(child);
        out->insert(QByteArray(reinterpret_cast<const char *>(child->name)),
                    QString::fromUtf8(reinterpret_cast<const char *>(text)));
        xmlFree(text);
    }
}

QString attribute(xmlNodePtr node, const char *name)
{
    xmlChar *value = xmlGetProp(node, reinterpret_cast<const xmlChar *>(name));
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(value));
    xmlFree(value);
    return text;
}

// One sheet written row by row (the workbook keeps one row in memory).
class Sheet
{
public:
    Sheet(lxw_workbook *book, const char *name, const QStringList &titles, lxw_format *bold, lxw_format *amount,
          lxw_format *date, QString *error)
        : m_sheet(workbook_add_worksheet(book, name))
        , m_amount(amount)
        , m_date(date)
        , m_error(error)
    {
        if (!m_sheet) {
            fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
            return;
        }
        for (int i = 0; i < titles.size(); ++i) {
            text(titles[i], bold);
            worksheet_set_column(m_sheet, lxw_col_t(i), lxw_col_t(i), i == 0 ? 14 : 18, nullptr);
        }
        worksheet_freeze_panes(m_sheet, 1, 0);
        nextRow();
    }

    void text(const QString &value, lxw_format *format = nullptr)
    {
        const QByteArray bytes = value.toUtf8();
        put(worksheet_write_string(m_sheet, m_row, m_column, bytes.constData(), format));
    }
    // An amount Excel holds exactly (15 digits) as a number; longer ones as text, not another figure.
    void amount(const QString &value)
    {
        if (std::count_if(value.begin(), value.end(), [](QChar c) { return c.isDigit(); }) > 15)
            text(value);
        else
            put(worksheet_write_number(m_sheet, m_row, m_column, value.toDouble(), m_amount));
    }
    void amount(const Decimal &value) { amount(value.toText(2)); }
    void count(qint64 value) { put(worksheet_write_number(m_sheet, m_row, m_column, double(value), nullptr)); }
    // A whole number Excel holds exactly (15 digits); longer ones as text.
    void integer(const QString &value)
    {
        bool ok = false;
        const qint64 n = value.toLongLong(&ok);
        if (ok && value.size() <= 15)
            count(n);
        else
            text(value);
    }
    // "dd/mm/yyyy" as a date; anything Excel cannot show as one stays text.
    void date(const QString &value)
    {
        const QDate d = QDate::fromString(value, QStringLiteral("dd/MM/yyyy"));
        if (!d.isValid() || d.year() < 1900) {
            text(value);
            return;
        }
        lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
        put(worksheet_write_datetime(m_sheet, m_row, m_column, &when, m_date));
    }
    void nextRow()
    {
        ++m_row;
        m_column = 0;
    }

private:
    void put(lxw_error result)
    {
        ++m_column;
        if (result != LXW_NO_ERROR)
            fail(result);
    }
    void fail(lxw_error result)
    {
        if (m_error->isEmpty())
            *m_error = QStringLiteral("Could not write row %1 of the workbook: %2")
                           .arg(m_row + 1)
                           .arg(QString::fromUtf8(lxw_strerror(result)));
    }

    lxw_worksheet *m_sheet;
    lxw_format *m_amount;
    lxw_format *m_date;
    QString *m_error;
    lxw_row_t m_row = 0;
    lxw_col_t m_column = 0;
};

Decimal amountOf(const QString &text)
{
    Decimal d;
    Decimal::fromWholeText(text, &d); // the schema took it as an amount
    return d;
}

const char *const kPartNames[] = {"HEADER-DATA", "INVOICE-PARTICULARS", "DOCUMENT-DETAIL",
                                  "SELF-ASSESSMENT-MEMORANDAM"};
enum Part { HeaderData, InvoiceParticulars, DocumentDetail, Memorandum, OtherPart };

Part partOf(const char *name)
{
    for (int i = 0; i < OtherPart; ++i)
        if (qstrcmp(name, kPartNames[i]) == 0)
            return Part(i);
    return OtherPart;
}

struct Workbook
{
    lxw_workbook *book = nullptr;
    ~Workbook()
    {
        if (book)
            workbook_close(book);
    }
};

struct Reader
{
    xmlTextReaderPtr reader = nullptr;
    ~Reader()
    {
        if (reader)
            xmlFreeTextReader(reader);
    }
};
} // namespace

QString ReturnWorkbookPath(const QString &returnPath)
{
    const QString suffix = QFileInfo(returnPath).suffix();
    if (suffix.isEmpty())
        return returnPath + QStringLiteral(".xlsx");
    return returnPath.left(returnPath.size() - suffix.size()) + QStringLiteral("xlsx");
}

bool WriteReturnWorkbook(const QString &returnPath, const QString &workbookPath, const QString &schemaPath,
                         QString *error)
{
    error->clear();
    if (QFileInfo(returnPath.trimmed()).absoluteFilePath() == QFileInfo(workbookPath).absoluteFilePath()) {
        *error =
            QStringLiteral("The workbook %1 would replace the return itself: give it another name.").arg(workbookPath);
        return false;
    }
    if (const QString folder = QFileInfo(workbookPath).absolutePath(); !QFileInfo(folder).isDir()) {
        *error =
            QStringLiteral("Could not write the workbook %1: the folder %2 does not exist.").arg(workbookPath, folder);
        return false;
    }
    if (!ValidateXmlFile(returnPath, schemaPath, error))
        return false;

    // Built under another name, so a failure leaves no half workbook behind
    // and an earlier one in place.
    const QString partial = workbookPath + QStringLiteral(".partial");
    QFile::remove(partial);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray partialName = QFile::encodeName(partial);
    Workbook out;
    out.book = workbook_new_opt(partialName.constData(), &options);
    if (!out.book) {
        *error = QStringLiteral("Could not start the workbook %1").arg(workbookPath);
        return false;
    }
    lxw_format *bold = workbook_add_format(out.book);
    format_set_bold(bold);
    lxw_format *amount = workbook_add_format(out.book);
    format_set_num_format(amount, "0.00");
    lxw_format *date = workbook_add_format(out.book);
    format_set_num_format(date, "dd/mm/yyyy");

    QString sheetError;
    Sheet header(out.book, "Header", {"Item", "Value"}, bold, amount, date, &sheetError);
    Sheet invoices(
        out.book, "Invoices",
        {"SL-NO", "Invoice number", "Invoice date", "Description", "CETSH number", "Quantity code", "Quantity", "Duty"},
        bold, amount, date, &sheetError);
    Sheet documents(out.book, "Documents",
                    {"SL-NO", "Invoice or bill of entry number", "Date", "Issued by", "Registration number", "Name",
                     "Address", "Description", "CETSH number", "Quantity code", "Quantity", "Duty"},
                    bold, amount, date, &sheetError);
    Sheet summary(out.book, "Summary",
                  {"CETSH number", "Unit", "Invoice lines", "Quantity out", "Duty out", "Documents", "Quantity in",
                   "Duty in", "Duty difference", "Flags"},
                  bold, amount, date, &sheetError);

    const auto label = [&header](const char *name, const QString &value, bool isDate = false) {
        header.text(QString::fromLatin1(name));
        isDate ? header.date(value) : header.text(value);
        header.nextRow();
    };
    SummaryBuilder builder;
    Reader in;
    const QByteArray returnName = QFile::encodeName(returnPath.trimmed());
    in.reader = xmlReaderForFile(returnName.constData(), nullptr, XML_PARSE_NONET);
    int step = in.reader ? xmlTextReaderRead(in.reader) : -1;
    while (step == 1 && sheetError.isEmpty()) {
        const Part part = xmlTextReaderNodeType(in.reader) == XML_READER_TYPE_ELEMENT
                              ? partOf(reinterpret_cast<const char *>(xmlTextReaderConstLocalName(in.reader)))
                              : OtherPart;
        if (part == OtherPart) {
            step = xmlTextReaderRead(in.reader);
            continue;
        }
        const xmlNodePtr node = xmlTextReaderExpand(in.reader);
        if (!node) {
            step = -1;
            break;
        }
        Fields f;
        collectLeaves(node, &f);
        switch (part) {
        case HeaderData:
            label("Return year", f.value("RETURN-YEAR"));
            label("Quarter", f.value("QUARTER"));
            label("Dealer name", f.value("DEALER-NAME"));
            label("Registration number", f.value("REGISTRATION-NUMBER"));
            label("Nil return", f.value("NIL-RETURN"));
            break;
        case Memorandum:
            label("Date", f.value("DATE"), true);
            label("Place", f.value("PLACE"));
            label("Remarks", f.value("REMARKS"));
            break;
        case InvoiceParticulars:
            invoices.integer(attribute(node, "SL-NO"));
            invoices.text(f.value("INVOICE-NUMBER"));
            invoices.date(f.value("INVOICE-DATE"));
            break;
        case DocumentDetail:
            documents.integer(attribute(node, "SL-NO"));
            documents.text(f.value("INVOICE-BILL-ENTRY-NO"));
            documents.date(f.value("DATE"));
            for (const char *name : {"ISSUED-BY", "REGISTRATION-NUMBER", "NAME", "ADDRESS"})
                documents.text(f.value(name));
            break;
        case OtherPart:
            break;
        }
        if (part == InvoiceParticulars || part == DocumentDetail) {
            Sheet &sheet = part == InvoiceParticulars ? invoices : documents;
            const QString cetsh = f.value("CETSH-NUMBER");
            const QString unit = f.value("QUANTITY-CODE");
            for (const QString &text : {f.value("DESCRIPTION-OF-GOODS"), cetsh, unit})
                sheet.text(text);
            sheet.amount(f.value("QUANTITY"));
            sheet.amount(f.value("AMOUNT-OF-DUTY-INVOLVED"));
            sheet.nextRow();
            const Decimal quantity = amountOf(f.value("QUANTITY"));
            const Decimal duty = amountOf(f.value("AMOUNT-OF-DUTY-INVOLVED"));
            if (part == InvoiceParticulars)
                builder.addInvoiceLine(cetsh, unit, quantity, duty);
            else
                builder.addDocument(cetsh, unit, quantity, duty);
        }
        step = xmlTextReaderNext(in.reader);
    }
    if (step < 0 && sheetError.isEmpty())
        sheetError = QStringLiteral("Could not read the return %1").arg(returnPath);

    QList<SummaryEntry> entries = builder.entries();
    entries.append(builder.total());
    for (const SummaryEntry &e : entries) {
        summary.text(e.cetsh);
        summary.text(e.unit);
        summary.count(e.invoiceLines);
        summary.amount(e.quantityOut);
        summary.amount(e.dutyOut);
        summary.count(e.documents);
        summary.amount(e.quantityIn);
        summary.amount(e.dutyIn);
        summary.amount(e.dutyDifference());
        summary.text(e.flags().join(QLatin1Char(';')));
        summary.nextRow();
    }

    const lxw_error closed = workbook_close(out.book);
    out.book = nullptr;
    if (sheetError.isEmpty() && closed != LXW_NO_ERROR)
        sheetError = QStringLiteral("Could not write the workbook %1: %2")
                         .arg(workbookPath, QString::fromUtf8(lxw_strerror(closed)));
    if (sheetError.isEmpty() && std::rename(partialName.constData(), QFile::encodeName(workbookPath).constData()) != 0)
        sheetError = QStringLiteral("Could not put the workbook in place as %1").arg(workbookPath);
    if (!sheetError.isEmpty()) {
        QFile::remove(partial);
        *error = sheetError;
        return false;
    }
    return true;
}

QStringList CompanyReturns()
{
    if (Settings().strCompCode.isEmpty())
        return {};
    const QDir folder(AppFolder() + QStringLiteral("/ACES/") + Settings().strCompCode);
    QStringList paths;
    for (const QFileInfo &file : folder.entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Time))
        paths << file.filePath();
    return paths;
}
