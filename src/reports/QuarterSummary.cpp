#include "QuarterSummary.h"

#include "app/AppSettings.h"
#include "app/Values.h"
#include "returns/DataCheck.h"
#include "returns/WorkTableRecords.h"
#include "returns/WorkTables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>

const QString kSummaryCancelled = QStringLiteral("The summary was cancelled.");

QStringList SummaryColumns(SummaryColumnTitle title)
{
    static const char *const columns[][4] = {
        {"cetsh", "CETSH", "Tariff number (CETSH)", "CETSH number"},
        {"unit", "Unit", "Unit", "Unit"},
        {"invoice_lines", "Lines", "Invoice lines", "Invoice lines"},
        {"quantity_out", "Qty out", "Qty out", "Quantity out"},
        {"duty_out", "Duty out", "Duty out", "Duty out"},
        {"documents", "Docs", "Documents", "Documents"},
        {"quantity_in", "Qty in", "Qty in", "Quantity in"},
        {"duty_in", "Duty in", "Duty in", "Duty in"},
        {"duty_difference", "Difference", "Difference", "Duty difference"},
        {"flags", "Flags", "Exceeds received", "Flags"},
    };
    QStringList titles;
    for (const auto &column : columns)
        titles << QLatin1String(column[int(title)]);
    return titles;
}

namespace {
const QStringList kCsvHeader = SummaryColumns(SummaryColumnTitle::Csv);

// A quantity as the return writes it: two decimals. A supplier document's is
// the text the return carries.
bool amountOf(const Decimal &value, Decimal *out)
{
    *out = value.rounded(2);
    return true;
}
bool amountOf(const QString &text, Decimal *out)
{
    return Decimal::fromWholeText(text, out);
}

// A registration number that fails the check and the warnings are still
// written; everything else the data check finds keeps the row out of a valid return.
bool written(const QList<RowProblem> &problems)
{
    for (const RowProblem &p : problems)
        if (p.kind != RowProblem::RegistrationFault && !p.warning())
            return false;
    return true;
}

template <typename Record>
bool readTable(WorkTableReader &reader, WorkTable table, SummaryBuilder *builder, int *leftOut, QuarterSummary *s)
{
    const auto walk = reader.walk<Record>(
        table,
        table == WorkTable::InvoiceLines ? QStringLiteral("Invoice lines") : QStringLiteral("Supplier documents"),
        [&](const Record &row) {
            Decimal quantity, duty;
            if (!written(reader.problems()) || !amountOf(row.quantity, &quantity) || !amountOf(row.duty, &duty))
                ++*leftOut;
            else
                builder->add(table, row.cleaned, row.unit, quantity, duty);
            return true;
        });
    s->cancelled = walk == WorkTableReader::Walk::Cancelled;
    s->reason = s->cancelled ? kSummaryCancelled : reader.errorString();
    return walk == WorkTableReader::Walk::Done;
}

} // namespace

QStringList SummaryFields(const SummaryEntry &e)
{
    return {e.cetsh,
            e.unit,
            QString::number(e.invoiceLines),
            e.quantityOut.toText(2),
            e.dutyOut.toText(2),
            QString::number(e.documents),
            e.quantityIn.toText(2),
            e.dutyIn.toText(2),
            e.dutyDifference().toText(2),
            e.flags().join(QLatin1Char(';'))};
}

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QJsonObject jsonEntry(const SummaryEntry &e)
{
    const QStringList values = SummaryFields(e);
    QJsonObject o;
    for (int i = 0; i < kCsvHeader.size(); ++i) {
        if (kCsvHeader[i] == QLatin1String("invoice_lines") || kCsvHeader[i] == QLatin1String("documents"))
            o.insert(kCsvHeader[i], values[i].toInt());
        else
            o.insert(kCsvHeader[i], values[i]);
    }
    return o;
}

QString textTable(const QList<SummaryEntry> &entries, const SummaryEntry &total)
{
    QList<QStringList> rows{SummaryColumns(SummaryColumnTitle::Text)};
    for (const SummaryEntry &e : entries)
        rows << SummaryFields(e);
    rows << SummaryFields(total);
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = qMax(widths[i], row[i].size());
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            // Names to the left, counts and amounts to the right.
            const bool left = i < 2 || i == row.size() - 1;
            line += left ? row[i].leftJustified(widths[i]) : row[i].rightJustified(widths[i]);
            line += QStringLiteral("  ");
        }
        out += line.trimmed() + QLatin1Char('\n');
    }
    return out;
}
} // namespace

QStringList SummaryEntry::flags() const
{
    QStringList f;
    if ((dutyOut - dutyIn).sign() > 0)
        f << QStringLiteral("duty-exceeds-received");
    if ((quantityOut - quantityIn).sign() > 0)
        f << QStringLiteral("quantity-exceeds-received");
    return f;
}

SummaryEntry &SummaryBuilder::entry(const QString &cetsh, const QString &unit)
{
    SummaryEntry &e = m_entries[cetsh];
    if (e.cetsh.isEmpty()) {
        e.cetsh = cetsh;
        e.unit = unit;
    }
    return e;
}

void SummaryBuilder::add(WorkTable table, const QString &cetsh, const QString &unit, const Decimal &quantity,
                         const Decimal &duty)
{
    const bool out = table == WorkTable::InvoiceLines;
    for (SummaryEntry *e : {&entry(cetsh, unit), &m_total}) {
        ++(out ? e->invoiceLines : e->documents);
        Decimal &q = out ? e->quantityOut : e->quantityIn;
        Decimal &d = out ? e->dutyOut : e->dutyIn;
        q = q + quantity;
        d = d + duty;
    }
}

QList<SummaryEntry> SummaryBuilder::entries() const
{
    QList<SummaryEntry> list;
    list.reserve(qsizetype(m_entries.size()));
    for (const auto &[cetsh, e] : m_entries)
        list.append(e);
    return list;
}

QuarterSummary SummariseQuarter(const QString &companyConnection, const QString &programConnection)
{
    QuarterSummary s;
    SummaryBuilder builder;
    s.read = ReadQuarterTables(companyConnection, programConnection, &s.reason, [&](WorkTableReader &reader) {
        return readTable<InvoiceLine>(reader, WorkTable::InvoiceLines, &builder, &s.leftOutInvoiceLines, &s)
               && readTable<SupplierDocument>(reader, WorkTable::SupplierDocuments, &builder, &s.leftOutDocuments, &s);
    });
    if (!s.read) {
        s.leftOutInvoiceLines = s.leftOutDocuments = 0;
        return s;
    }
    s.entries = builder.entries();
    s.total = builder.total();
    return s;
}

QuarterSummary SummariseQuarter()
{
    QuarterSummary s;
    if (!PrepareWorkTables(&s.reason))
        return s;
    return SummariseQuarter(Settings().cnCompany, Settings().cnProgram);
}

QString LeftOutText(const QuarterSummary &summary)
{
    if (summary.leftOutInvoiceLines == 0 && summary.leftOutDocuments == 0)
        return QString();
    return QStringLiteral("Left out of the figures, as the return cannot carry them: %1 and %2 (the data check lists "
                          "their problems).")
        .arg(CountText(summary.leftOutInvoiceLines, "invoice line (STEMP4)", "invoice lines (STEMP4)"),
             CountText(summary.leftOutDocuments, "supplier document (PTEMP5)", "supplier documents (PTEMP5)"));
}

QString FormatSummary(const QList<SummaryEntry> &entries, const SummaryEntry &total, SummaryFormat format)
{
    switch (format) {
    case SummaryFormat::Text:
        return textTable(entries, total);
    case SummaryFormat::Csv: {
        QString out = kCsvHeader.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        auto line = [&out](const SummaryEntry &e) {
            QStringList values = SummaryFields(e);
            for (QString &v : values)
                v = csvField(v);
            out += values.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        };
        for (const SummaryEntry &e : entries)
            line(e);
        line(total);
        return out;
    }
    case SummaryFormat::Json: {
        QJsonArray list;
        for (const SummaryEntry &e : entries)
            list.append(jsonEntry(e));
        const QJsonObject root{{QStringLiteral("entries"), list}, {QStringLiteral("total"), jsonEntry(total)}};
        return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    }
    return QString();
}

QList<ChapterDuty> DutyByChapter(const QList<SummaryEntry> &entries)
{
    std::map<QString, ChapterDuty> chapters;
    for (const SummaryEntry &e : entries) {
        ChapterDuty &c = chapters[e.cetsh.left(4)];
        c.chapter = e.cetsh.left(4);
        c.dutyIn = c.dutyIn + e.dutyIn;
        c.dutyOut = c.dutyOut + e.dutyOut;
    }
    QList<ChapterDuty> list;
    for (const auto &[chapter, c] : chapters)
        list.append(c);
    return list;
}
