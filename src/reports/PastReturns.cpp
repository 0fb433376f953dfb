#include "PastReturns.h"

#include "ReturnLeaves.h"
#include "app/AppSettings.h"
#include "app/Progress.h"
#include "app/RegularFile.h"
#include "returns/SchemaValidation.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <libxml/xmlreader.h>
#include <map>

namespace {
using Fields = ReturnLeaves;

// A streaming reader that keeps the parser's first complaint instead of printing it.
class ReturnReader
{
public:
    explicit ReturnReader(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        m_reader = xmlReaderForFile(name.constData(), nullptr, XML_PARSE_NONET);
        if (m_reader)
            xmlTextReaderSetStructuredErrorHandler(m_reader, &ReturnReader::onError, this);
        else
            m_error = QStringLiteral("Could not open %1").arg(QDir::toNativeSeparators(path));
    }
    ~ReturnReader()
    {
        if (m_reader)
            xmlFreeTextReader(m_reader);
    }
    ReturnReader(const ReturnReader &) = delete;
    ReturnReader &operator=(const ReturnReader &) = delete;

    // Each element of `parts` (by local name) expanded and handed to `part`,
    // the rest walked through. `root` gets the document element's name. False
    // when the file is not well-formed XML; error() then says where.
    template <typename Part> bool walk(const QList<QByteArray> &parts, QByteArray *root, Part part)
    {
        if (!m_reader)
            return false;
        int step = xmlTextReaderRead(m_reader);
        while (step == 1) {
            if (xmlTextReaderNodeType(m_reader) != XML_READER_TYPE_ELEMENT) {
                step = xmlTextReaderRead(m_reader);
                continue;
            }
            const QByteArray name(reinterpret_cast<const char *>(xmlTextReaderConstLocalName(m_reader)));
            if (root->isEmpty())
                *root = name;
            if (!parts.contains(name)) {
                step = xmlTextReaderRead(m_reader);
                continue;
            }
            const xmlNodePtr node = xmlTextReaderExpand(m_reader);
            if (!node) {
                step = -1;
                break;
            }
            part(name, node);
            step = xmlTextReaderNext(m_reader);
        }
        if (step < 0 && m_error.isEmpty())
            m_error = QStringLiteral("The file is not well-formed XML.");
        return step == 0 && m_error.isEmpty();
    }
    QString error() const { return m_error; }

private:
    static void onError(void *self, xmlErrorPtr error)
    {
        auto *reader = static_cast<ReturnReader *>(self);
        if (reader->m_error.isEmpty() && error && error->level >= XML_ERR_ERROR)
            reader->m_error = QStringLiteral("Line %1: %2")
                                  .arg(error->line)
                                  .arg(QString::fromUtf8(error->message ? error->message : "").trimmed());
    }

    xmlTextReaderPtr m_reader = nullptr;
    QString m_error;
};

// The export names a return "<registration>_<yyyyMMddhhmm><AM|PM>.xml", twelve-hour clock.
QDateTime stampOf(const QString &fileName)
{
    static const QRegularExpression stamp(QStringLiteral("_(\\d{4})(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(AM|PM)\\.xml"));
    const QRegularExpressionMatch m = stamp.match(fileName);
    if (!m.hasMatch())
        return {};
    const int hour12 = m.captured(4).toInt();
    if (hour12 < 1 || hour12 > 12)
        return {};
    const int hour = hour12 % 12 + (m.captured(6) == QLatin1String("PM") ? 12 : 0);
    const QDate day(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(hour, m.captured(5).toInt());
    return day.isValid() && time.isValid() ? QDateTime(day, time) : QDateTime();
}

bool newerFirst(const PastReturn &a, const PastReturn &b)
{
    if (a.written != b.written)
        return a.written > b.written;
    return a.fileName > b.fileName;
}

bool same(const Decimal &a, const Decimal &b)
{
    return (a - b).isZero();
}

QString csvField(const QString &text)
{
    static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
    if (!text.contains(special))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString csv(const QList<QStringList> &rows)
{
    QString out;
    for (const QStringList &row : rows) {
        QStringList fields;
        for (const QString &f : row)
            fields << csvField(f);
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out;
}

// Columns padded to their widest; those in `right` aligned right.
QString table(const QList<QStringList> &rows, const QList<int> &right)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths << 0;
            widths[i] = qMax(widths[i], row[i].size());
        }
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += (right.contains(int(i)) ? row[i].rightJustified(widths[i]) : row[i].leftJustified(widths[i]))
                    + QStringLiteral("  ");
        out += line.trimmed() + QLatin1Char('\n');
    }
    return out;
}

QStringList fieldsOf(const PastReturn &r)
{
    return {r.fileName,
            r.written.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
            r.year,
            r.quarter,
            r.registration,
            QString::number(r.size),
            ReturnStateName(r.state),
            r.reason};
}

const QStringList kListHeader{"file", "written", "year", "quarter", "registration", "size", "state", "reason"};

QString lineText(const ReturnLine &l, bool document)
{
    QString text = QStringLiteral("%1 %2 %3")
                       .arg(document ? QStringLiteral("document") : QStringLiteral("invoice"), l.number, l.date);
    if (document)
        text += QLatin1Char(' ') + l.party;
    return text + QStringLiteral(" CETSH %1").arg(l.cetsh);
}

QString valuesText(const ReturnLine &l)
{
    return QStringLiteral("%1, %2 %3, duty %4").arg(l.description, l.quantity.toText(2), l.unit, l.duty.toText(2));
}

// What differs between two matched lines, "field before -> after", joined by "; ".
QString differences(const ReturnLine &a, const ReturnLine &b)
{
    QStringList out;
    const auto text = [&out](const char *name, const QString &x, const QString &y) {
        if (x != y)
            out << QStringLiteral("%1 %2 -> %3").arg(QLatin1String(name), x, y);
    };
    text("description", a.description, b.description);
    text("unit", a.unit, b.unit);
    if (!same(a.quantity, b.quantity))
        text("quantity", a.quantity.toText(2), b.quantity.toText(2));
    if (!same(a.duty, b.duty))
        text("duty", a.duty.toText(2), b.duty.toText(2));
    static const char *const kOther[] = {"issued by", "name", "address"};
    for (qsizetype i = 0; i < std::max(a.other.size(), b.other.size()) && i < 3; ++i)
        text(kOther[i], a.other.value(i), b.other.value(i));
    return out.join(QStringLiteral("; "));
}

QJsonObject lineJson(const ReturnLine &l)
{
    QJsonObject o{{"number", l.number},           {"date", l.date}, {"cetsh", l.cetsh},
                  {"description", l.description}, {"unit", l.unit}, {"quantity", l.quantity.toText(2)},
                  {"duty", l.duty.toText(2)}};
    if (!l.party.isEmpty())
        o.insert(QStringLiteral("party"), l.party);
    return o;
}

QStringList dutyFields(const DutySide &d)
{
    return {d.cetsh,
            d.dutyOutBefore.toText(2),
            d.dutyOutAfter.toText(2),
            (d.dutyOutAfter - d.dutyOutBefore).toText(2),
            d.dutyInBefore.toText(2),
            d.dutyInAfter.toText(2),
            (d.dutyInAfter - d.dutyInBefore).toText(2)};
}
} // namespace

QString ReturnStateName(ReturnState state)
{
    switch (state) {
    case ReturnState::Valid:
        return QStringLiteral("valid");
    case ReturnState::Invalid:
        return QStringLiteral("invalid");
    case ReturnState::Damaged:
        return QStringLiteral("damaged");
    case ReturnState::Foreign:
        return QStringLiteral("foreign");
    case ReturnState::Unreadable:
        break;
    }
    return QStringLiteral("unreadable");
}

QString CompanyReturnsFolder(const QString &company)
{
    if (company.isEmpty() || company == QLatin1String(".") || company == QLatin1String("..")
        || company.contains(QLatin1Char('/')) || company.contains(QLatin1Char('\\')))
        return QString();
    return ReturnsFolder(company);
}

PastReturn ReadPastReturn(const QString &path, const QString &schemaPath)
{
    PastReturn r;
    const QFileInfo info(path);
    r.path = path;
    r.fileName = info.fileName();
    r.rejected = r.fileName.endsWith(QLatin1String(".rejected"));
    r.size = info.size();
    r.written = stampOf(r.fileName);
    if (!r.written.isValid())
        r.written = info.lastModified();
    // A FIFO or a device among the returns must not hang the list.
    if (const QString problem = RegularFileProblem(path); !problem.isEmpty()) {
        r.reason = problem;
        return r;
    }
    ReturnReader reader(path);
    QByteArray root;
    const bool wellFormed =
        reader.walk({QByteArrayLiteral("HEADER-DATA")}, &root, [&r](const QByteArray &, xmlNodePtr node) {
            Fields f;
            CollectReturnLeaves(node, &f);
            r.year = f.value("RETURN-YEAR");
            r.quarter = f.value("QUARTER");
            r.registration = f.value("REGISTRATION-NUMBER");
        });
    if (!wellFormed) {
        r.state = ReturnState::Damaged;
        r.reason = reader.error();
    } else if (root != "ACES") {
        r.state = ReturnState::Foreign;
        r.reason = QStringLiteral("An XML file of another kind (%1), not a return.").arg(QString::fromUtf8(root));
    } else {
        r.state = ValidateXmlFile(path, schemaPath, &r.reason) ? ReturnState::Valid : ReturnState::Invalid;
    }
    return r;
}

PastReturnList ListPastReturns(const QString &folder, const QString &schemaPath)
{
    PastReturnList list;
    list.folder = folder;
    const QDir dir(folder);
    list.found = !folder.isEmpty() && dir.exists();
    if (!list.found)
        return list;
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.xml"), QStringLiteral("*.xml.rejected")}, QDir::Files | QDir::System);
    ProgressPhase phase(QStringLiteral("Returns"), files.size());
    for (const QFileInfo &file : files) {
        const PastReturn r = ReadPastReturn(file.filePath(), schemaPath);
        (r.rejected ? list.rejected : list.returns) << r;
        if (!phase.step()) {
            list.cancelled = true;
            return list;
        }
    }
    if (!phase.finish())
        list.cancelled = true;
    std::sort(list.returns.begin(), list.returns.end(), newerFirst);
    std::sort(list.rejected.begin(), list.rejected.end(), newerFirst);
    return list;
}

QString FormatPastReturns(const PastReturnList &list, ListFormat format)
{
    switch (format) {
    case ListFormat::Csv: {
        QList<QStringList> rows{kListHeader + QStringList{QStringLiteral("rejected")}};
        for (const QList<PastReturn> *part : {&list.returns, &list.rejected})
            for (const PastReturn &r : *part)
                rows << fieldsOf(r) + QStringList{r.rejected ? QStringLiteral("yes") : QStringLiteral("no")};
        return csv(rows);
    }
    case ListFormat::Json: {
        const auto array = [](const QList<PastReturn> &returns) {
            QJsonArray a;
            for (const PastReturn &r : returns) {
                const QStringList values = fieldsOf(r);
                QJsonObject o;
                for (int i = 0; i < kListHeader.size(); ++i)
                    o.insert(kListHeader[i], values[i]);
                o.insert(QStringLiteral("size"), double(r.size));
                a.append(o);
            }
            return a;
        };
        const QJsonObject root{{QStringLiteral("folder"), QDir::toNativeSeparators(list.folder)},
                               {QStringLiteral("returns"), array(list.returns)},
                               {QStringLiteral("rejected"), array(list.rejected)}};
        return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    case ListFormat::Text:
        break;
    }
    const auto part = [](const QList<PastReturn> &returns) {
        QList<QStringList> rows{{"Written", "Year", "Quarter", "Registration", "Size", "State", "File"}};
        for (const PastReturn &r : returns) {
            const QStringList f = fieldsOf(r);
            rows << QStringList{f[1], f[2], f[3], f[4], f[5], f[6], f[0]};
        }
        QString out = table(rows, {4});
        for (const PastReturn &r : returns)
            if (!r.reason.isEmpty())
                out += QStringLiteral("%1: %2\n").arg(r.fileName, QString(r.reason).replace(QLatin1Char('\n'), ' '));
        return out;
    };
    QString out =
        QStringLiteral("Returns in %1: %2\n").arg(QDir::toNativeSeparators(list.folder)).arg(list.returns.size());
    if (!list.returns.isEmpty())
        out += part(list.returns);
    if (!list.rejected.isEmpty())
        out += QStringLiteral("\nRejected (kept by the export, not returns): %1\n").arg(list.rejected.size())
               + part(list.rejected);
    return out;
}

ReturnContent ReadReturnContent(const QString &path)
{
    ReturnContent c;
    if (const QString problem = RegularFileProblem(path); !problem.isEmpty()) {
        c.reason = problem;
        return c;
    }
    ReturnReader reader(path);
    QByteArray root;
    const QList<QByteArray> parts{"HEADER-DATA", "INVOICE-PARTICULARS", "DOCUMENT-DETAIL"};
    const bool wellFormed = reader.walk(parts, &root, [&c](const QByteArray &name, xmlNodePtr node) {
        Fields f;
        CollectReturnLeaves(node, &f);
        if (name == "HEADER-DATA") {
            c.year = f.value("RETURN-YEAR");
            c.quarter = f.value("QUARTER");
            c.registration = f.value("REGISTRATION-NUMBER");
            return;
        }
        const bool document = name == "DOCUMENT-DETAIL";
        ReturnLine l;
        l.number = f.value(document ? "INVOICE-BILL-ENTRY-NO" : "INVOICE-NUMBER");
        l.date = f.value(document ? "DATE" : "INVOICE-DATE");
        if (document) {
            l.party = f.value("REGISTRATION-NUMBER");
            l.other = QStringList{f.value("ISSUED-BY"), f.value("NAME"), f.value("ADDRESS")};
        }
        l.description = f.value("DESCRIPTION-OF-GOODS");
        l.cetsh = f.value("CETSH-NUMBER");
        l.unit = f.value("QUANTITY-CODE");
        // A figure that is no number reads as zero here; the validation names it.
        Decimal::fromWholeText(f.value("QUANTITY"), &l.quantity);
        Decimal::fromWholeText(f.value("AMOUNT-OF-DUTY-INVOLVED"), &l.duty);
        (document ? c.documents : c.invoiceLines) << l;
    });
    if (!wellFormed)
        c.reason = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reader.error());
    else if (root != "ACES")
        c.reason = QStringLiteral("%1 is not a return.").arg(QDir::toNativeSeparators(path));
    c.read = c.reason.isEmpty();
    return c;
}

ReturnComparison CompareReturns(const ReturnContent &before, const ReturnContent &after)
{
    ReturnComparison out;
    if (!before.read || !after.read) {
        out.problem = before.read ? after.reason : before.reason;
        return out;
    }
    if (before.year != after.year || before.quarter != after.quarter) {
        out.problem = QStringLiteral("The returns are of different quarters (%1 %2 and %3 %4); only returns of one "
                                     "quarter are compared.")
                          .arg(before.year, before.quarter, after.year, after.quarter);
        return out;
    }
    const auto match = [&out](const QList<ReturnLine> &a, const QList<ReturnLine> &b, bool document) {
        const auto key = [](const ReturnLine &l) {
            return QStringList{l.number, l.date, l.party, l.cetsh}.join(QChar(0));
        };
        QHash<QString, QList<qsizetype>> waiting; // unmatched lines of `a` by key, in order
        for (qsizetype i = 0; i < a.size(); ++i)
            waiting[key(a[i])] << i;
        QList<bool> matched(a.size(), false);
        for (const ReturnLine &l : b) {
            QList<qsizetype> &candidates = waiting[key(l)];
            if (candidates.isEmpty()) {
                out.changes << LineChange{LineChange::Added, document, {}, l};
                continue;
            }
            const qsizetype i = candidates.takeFirst();
            matched[i] = true;
            if (!differences(a[i], l).isEmpty())
                out.changes << LineChange{LineChange::Changed, document, a[i], l};
        }
        for (qsizetype i = 0; i < a.size(); ++i)
            if (!matched[i])
                out.changes << LineChange{LineChange::Removed, document, a[i], {}};
    };
    match(before.invoiceLines, after.invoiceLines, false);
    match(before.documents, after.documents, true);

    std::map<QString, DutySide> duty;
    DutySide total;
    total.cetsh = QStringLiteral("TOTAL");
    const auto add = [&](const QList<ReturnLine> &lines, Decimal DutySide::*field) {
        for (const ReturnLine &l : lines) {
            DutySide &d = duty[l.cetsh];
            d.cetsh = l.cetsh;
            d.*field = d.*field + l.duty;
            total.*field = total.*field + l.duty;
        }
    };
    add(before.invoiceLines, &DutySide::dutyOutBefore);
    add(after.invoiceLines, &DutySide::dutyOutAfter);
    add(before.documents, &DutySide::dutyInBefore);
    add(after.documents, &DutySide::dutyInAfter);
    for (const auto &[cetsh, d] : duty)
        out.duty << d;
    out.duty << total;
    return out;
}

QString FormatComparison(const ReturnComparison &c, ListFormat format)
{
    static const QStringList kDutyHeader{"cetsh",          "duty_out_before", "duty_out_after", "duty_out_change",
                                         "duty_in_before", "duty_in_after",   "duty_in_change"};
    static const char *const kKinds[] = {"added", "removed", "changed"};
    if (format == ListFormat::Json) {
        QJsonArray changes;
        for (const LineChange &ch : c.changes) {
            QJsonObject o{{"change", QLatin1String(kKinds[ch.kind])},
                          {"part", ch.document ? QStringLiteral("document") : QStringLiteral("invoice")}};
            if (ch.kind != LineChange::Added)
                o.insert(QStringLiteral("before"), lineJson(ch.before));
            if (ch.kind != LineChange::Removed)
                o.insert(QStringLiteral("after"), lineJson(ch.after));
            changes.append(o);
        }
        QJsonArray duty;
        for (const DutySide &d : c.duty) {
            const QStringList values = dutyFields(d);
            QJsonObject o;
            for (int i = 0; i < kDutyHeader.size(); ++i)
                o.insert(kDutyHeader[i], values[i]);
            duty.append(o);
        }
        return QString::fromUtf8(
            QJsonDocument(QJsonObject{{"changes", changes}, {"duty", duty}}).toJson(QJsonDocument::Indented));
    }
    if (format == ListFormat::Csv) {
        QList<QStringList> rows{{"change", "part", "number", "date", "party", "cetsh", "before", "after"}};
        for (const LineChange &ch : c.changes) {
            const ReturnLine &l = ch.kind == LineChange::Removed ? ch.before : ch.after;
            rows << QStringList{QLatin1String(kKinds[ch.kind]),
                                ch.document ? QStringLiteral("document") : QStringLiteral("invoice"),
                                l.number,
                                l.date,
                                l.party,
                                l.cetsh,
                                ch.kind == LineChange::Added ? QString() : valuesText(ch.before),
                                ch.kind == LineChange::Removed ? QString() : valuesText(ch.after)};
        }
        QString out = csv(rows) + QStringLiteral("\r\n");
        QList<QStringList> duty{kDutyHeader};
        for (const DutySide &d : c.duty)
            duty << dutyFields(d);
        return out + csv(duty);
    }
    QString out;
    int counts[2][3] = {};
    for (const LineChange &ch : c.changes)
        ++counts[ch.document][ch.kind];
    for (int part = 0; part < 2; ++part)
        out += QStringLiteral("%1: %2 added, %3 removed, %4 changed\n")
                   .arg(part ? QStringLiteral("Documents") : QStringLiteral("Invoice lines"))
                   .arg(counts[part][0])
                   .arg(counts[part][1])
                   .arg(counts[part][2]);
    for (const LineChange &ch : c.changes) {
        switch (ch.kind) {
        case LineChange::Added:
            out += QStringLiteral("+ %1: %2\n").arg(lineText(ch.after, ch.document), valuesText(ch.after));
            break;
        case LineChange::Removed:
            out += QStringLiteral("- %1: %2\n").arg(lineText(ch.before, ch.document), valuesText(ch.before));
            break;
        case LineChange::Changed:
            out += QStringLiteral("~ %1: %2\n").arg(lineText(ch.after, ch.document), differences(ch.before, ch.after));
            break;
        }
    }
    QList<QStringList> rows{{"CETSH", "Duty out before", "after", "change", "Duty in before", "after", "change"}};
    for (const DutySide &d : c.duty)
        rows << dutyFields(d);
    return out + QLatin1Char('\n') + table(rows, {1, 2, 3, 4, 5, 6});
}
