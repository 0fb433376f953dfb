#include "ReturnWorkbook.h"

#include "QuarterSummary.h"
#include "ReturnLeaves.h"
#include "ReturnWorkbookFile.h"
#include "app/AppSettings.h"
#include "app/RegularFile.h"
#include "app/Values.h"
#include "returns/SchemaValidation.h"
#include "returns/StagedFile.h"
#include "returns/TextRules.h"
#include "returns/WorkTableRecords.h"
#include "sources/FileIdentity.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <libxml/xmlreader.h>
#include <memory>
#include <xlsxwriter.h>

namespace {
using Fields = ReturnLeaves;

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
        const QDate d = DayFirstDate(value);
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

extern "C" int readReturn(void *context, char *buffer, int length)
{
    const qint64 n = static_cast<QFile *>(context)->read(buffer, length);
    return n < 0 ? -1 : int(n);
}

extern "C" int keepReturnOpen(void *)
{
    return 0;
}

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

namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Why the workbook cannot be written at `workbookPath` at all; empty when it can.
QString workbookPathProblem(const QString &returnPath, const QString &workbookPath)
{
    const QFileInfo target(workbookPath);
    if (target.isDir())
        return QStringLiteral("Could not write the workbook %1: it is a folder; give the workbook a file name, "
                              "such as %2.")
            .arg(shown(workbookPath), shown(QDir(workbookPath).filePath(QStringLiteral("return.xlsx"))));
    // Compared as files, not names: a link or another spelling of the path
    // names the return just as well.
    const FileIdentity ofReturn = IdentityOfPath(returnPath);
    const FileIdentity atTarget = IdentityOfPath(workbookPath);
    if (ofReturn.isValid() && atTarget.isValid() && ofReturn.device == atTarget.device
        && ofReturn.inode == atTarget.inode)
        return QStringLiteral("The workbook %1 would replace the return itself: give it another name.")
            .arg(shown(workbookPath));
    // Only a file is ever replaced: never a device or a pipe, and never a link,
    // which the new workbook would replace rather than write through.
    if (target.isSymLink())
        return QStringLiteral("Could not write the workbook %1: it is a link to %2; give the workbook the name of a "
                              "file instead.")
            .arg(shown(workbookPath), shown(target.symLinkTarget()));
    if (target.exists() && !target.isFile())
        return QStringLiteral("Could not write the workbook %1: it exists and is not a file (a device or a pipe); "
                              "give the workbook another name.")
            .arg(shown(workbookPath));
    if (!QFileInfo(target.absolutePath()).isDir())
        return QStringLiteral("Could not write the workbook %1: the folder %2 does not exist.")
            .arg(shown(workbookPath), shown(target.absolutePath()));
    return QString();
}

// The library's own failure, in words for the user: a full disk names the
// folder whose disk it is (the library's temporary files are there too).
QString libraryError(const QString &workbookPath, lxw_error result, int errorNumber)
{
    const QString folder = shown(QFileInfo(workbookPath).absolutePath());
    if (errorNumber == ENOSPC)
        return QStringLiteral("Could not write the workbook %1: the disk that holds %2 is full (%3).")
            .arg(shown(workbookPath), folder, SystemErrorText(ENOSPC));
    if (result == LXW_ERROR_CREATING_TMPFILE)
        return QStringLiteral("Could not write the workbook %1: no temporary file can be made in %2 (%3).")
            .arg(shown(workbookPath), folder, SystemErrorText(errorNumber));
    QString reason = QString::fromUtf8(lxw_strerror(result));
    if (errorNumber != 0)
        reason += QStringLiteral(" (%1)").arg(SystemErrorText(errorNumber));
    return QStringLiteral("Could not write the workbook %1: %2").arg(shown(workbookPath), reason);
}
} // namespace

namespace {
// The open workbook with its four sheets; the first failure of any of them
// stays in `error`.
struct ReturnBook
{
    QString error;
    Workbook out;
    lxw_format *bold;
    lxw_format *amount;
    lxw_format *date;
    Sheet header;
    Sheet invoices;
    Sheet documents;
    Sheet summary;

    explicit ReturnBook(lxw_workbook *book)
        : out{book}
        , bold(formatted(book, nullptr, true))
        , amount(formatted(book, "0.00"))
        , date(formatted(book, "dd/mm/yyyy"))
        , header(book, "Header", {"Item", "Value"}, bold, amount, date, &error)
        , invoices(book, "Invoices",
                   {"SL-NO", "Invoice number", "Invoice date", "Description", "CETSH number", "Quantity code",
                    "Quantity", "Duty"},
                   bold, amount, date, &error)
        , documents(book, "Documents",
                    {"SL-NO", "Invoice or bill of entry number", "Date", "Issued by", "Registration number", "Name",
                     "Address", "Description", "CETSH number", "Quantity code", "Quantity", "Duty"},
                    bold, amount, date, &error)
        , summary(book, "Summary", SummaryColumns(SummaryColumnTitle::Workbook), bold, amount, date, &error)
    {
    }

    static lxw_format *formatted(lxw_workbook *book, const char *numbers, bool isBold = false)
    {
        lxw_format *format = workbook_add_format(book);
        if (numbers)
            format_set_num_format(format, numbers);
        if (isBold)
            format_set_bold(format);
        return format;
    }

    void label(const char *name, const QString &value, bool isDate = false)
    {
        header.text(QString::fromLatin1(name));
        isDate ? header.date(value) : header.text(value);
        header.nextRow();
    }

    // One part of the return: header lines, or a row of invoices or documents
    // that the summary also counts.
    void write(Part part, xmlNodePtr node, const Fields &f, SummaryBuilder *builder)
    {
        switch (part) {
        case HeaderData:
            label("Return year", f.value("RETURN-YEAR"));
            label("Quarter", f.value("QUARTER"));
            label("Dealer name", f.value("DEALER-NAME"));
            label("Registration number", f.value("REGISTRATION-NUMBER"));
            label("Nil return", f.value("NIL-RETURN"));
            return;
        case Memorandum:
            label("Date", f.value("DATE"), true);
            label("Place", f.value("PLACE"));
            label("Remarks", f.value("REMARKS"));
            return;
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
            return;
        }
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
        builder->add(part == InvoiceParticulars ? WorkTable::InvoiceLines : WorkTable::SupplierDocuments, cetsh, unit,
                     quantity, duty);
    }

    void writeSummary(const SummaryBuilder &builder)
    {
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
    }
};

// Reads the (validated) return part by part into the sheets and the summary.
void writeReturnParts(const QString &source, ReturnBook *book)
{
    SummaryBuilder builder;
    Reader in;
    QFile returnFile;
    QString openError;
    if (OpenRegularFile(&returnFile, source, &openError))
        in.reader = xmlReaderForIO(readReturn, keepReturnOpen, &returnFile, QFile::encodeName(source).constData(),
                                   nullptr, XML_PARSE_NONET);
    int step = in.reader ? xmlTextReaderRead(in.reader) : -1;
    while (step == 1 && book->error.isEmpty()) {
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
        CollectReturnLeaves(node, &f);
        book->write(part, node, f, &builder);
        step = xmlTextReaderNext(in.reader);
    }
    if (step < 0 && book->error.isEmpty())
        book->error = QStringLiteral("Could not read the return %1 %2").arg(shown(source), openError).trimmed();
    book->writeSummary(builder);
}

// Closes the library's workbook and makes sure the file is whole: the library
// does not see every failed write of its temporary files (a temporary file
// that did not fit passes unseen), so the workbook is read back before it
// counts as written.
void closeAndCheck(ReturnBook *book, StagedFile *staged, const QString &workbookPath)
{
    errno = 0;
    const lxw_error closed = workbook_close(book->out.book);
    const int closeErrno = errno;
    book->out.book = nullptr;
    QString &error = book->error;
    if (error.isEmpty() && closed != LXW_NO_ERROR)
        error = libraryError(workbookPath, closed, closeErrno);
    if (error.isEmpty())
        staged->finish(&error);
    if (const QString broken = error.isEmpty() ? WorkbookFileProblem(staged->stagingPath()) : QString();
        !broken.isEmpty())
        error = QStringLiteral("Could not write the workbook %1: it came out damaged (%2); the disk that holds "
                               "%3 probably ran full while it was written.")
                    .arg(shown(workbookPath), broken, shown(QFileInfo(workbookPath).absolutePath()));
}
} // namespace

bool WriteReturnWorkbook(const QString &returnPath, const QString &workbookPath, const QString &schemaPath,
                         QString *error)
{
    error->clear();
    const QString source = TrimBlanks(returnPath);
    if (const QString problem = workbookPathProblem(source, workbookPath); !problem.isEmpty()) {
        *error = problem;
        return false;
    }
    if (!ValidateXmlFile(source, schemaPath, error))
        return false;

    // Built under a staging name of its own, so a failure leaves no half
    // workbook behind and an earlier one in place. The library writes it by
    // that name, and keeps its temporary files beside it rather than in a
    // /tmp that may be small.
    StagedFile staged(workbookPath);
    if (!staged.create(error))
        return false;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    QByteArray tmpdir = QFile::encodeName(QFileInfo(workbookPath).absolutePath());
    options.tmpdir = tmpdir.data();
    QuietLibraryOutput quiet; // the library's own lines on standard error; its failures become our message
    errno = 0;
    const QByteArray stagingName = QFile::encodeName(staged.stagingPath());
    lxw_workbook *opened = workbook_new_opt(stagingName.constData(), &options);
    if (!opened) {
        *error = libraryError(workbookPath, LXW_ERROR_CREATING_TMPFILE, errno);
        return false;
    }
    ReturnBook book(opened);
    writeReturnParts(source, &book);
    closeAndCheck(&book, &staged, workbookPath);
    if (book.error.isEmpty())
        staged.place(&book.error);
    if (!book.error.isEmpty()) {
        staged.discard();
        *error = book.error;
        return false;
    }
    return true;
}
