#include "BiffWorkbook.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {
enum RecordType : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kExternSheet = 0x0017,
    kName = 0x0018,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kSupBook = 0x01AE,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

struct Record
{
    quint16 type = 0;
    QByteArrayView data;
};

// Walks the records of a stream from an offset. A record whose length runs
// past the stream ends the walk and marks the stream cut short.
class RecordCursor
{
public:
    RecordCursor(const QByteArray &stream, qsizetype at)
        : m_stream(stream)
        , m_at(at)
    {
    }

    bool next(Record *record)
    {
        if (m_at + 4 > m_stream.size()) {
            m_cutShort = true;
            return false;
        }
        const quint16 length = qFromLittleEndian<quint16>(m_stream.constData() + m_at + 2);
        if (m_at + 4 + length > m_stream.size()) {
            m_cutShort = true;
            return false;
        }
        record->type = qFromLittleEndian<quint16>(m_stream.constData() + m_at);
        record->data = QByteArrayView(m_stream.constData() + m_at + 4, length);
        m_at += 4 + length;
        return true;
    }

    // The record and the CONTINUE records right after it: long texts go on in them.
    QList<QByteArrayView> withContinues(const Record &first)
    {
        QList<QByteArrayView> parts{first.data};
        Record more;
        while (m_at + 4 <= m_stream.size() && qFromLittleEndian<quint16>(m_stream.constData() + m_at) == kContinue
               && next(&more))
            parts << more.data;
        return parts;
    }

    bool cutShort() const { return m_cutShort; }

private:
    const QByteArray &m_stream;
    qsizetype m_at;
    bool m_cutShort = false;
};

// Reads little-endian values and texts from a record and its continuations;
// reading past the end yields zeros and marks the reader bad.
class Reader
{
public:
    explicit Reader(QList<QByteArrayView> parts)
        : m_parts(std::move(parts))
    {
    }
    explicit Reader(QByteArrayView data)
        : m_parts{data}
    {
    }

    bool ok() const { return !m_bad; }
    bool atEnd()
    {
        settle();
        return m_part >= m_parts.size();
    }

    quint8 u8()
    {
        settle();
        if (m_part >= m_parts.size()) {
            m_bad = true;
            return 0;
        }
        return quint8(m_parts.at(m_part).at(m_at++));
    }
    quint16 u16() { return quint16(u8() | (u8() << 8)); }
    quint32 u32() { return quint32(u16()) | (quint32(u16()) << 16); }
    double f64()
    {
        const quint64 bits = quint64(u32()) | (quint64(u32()) << 32);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    void skip(quint64 count)
    {
        while (count > 0 && !m_bad) {
            settle();
            if (m_part >= m_parts.size()) {
                m_bad = true;
                return;
            }
            const quint64 take = qMin<quint64>(count, quint64(m_parts.at(m_part).size() - m_at));
            m_at += qsizetype(take);
            count -= take;
        }
    }

    // A text of `count` characters after its flags byte.
    QString text(quint32 count) { return chars(count, u8() & 1); }

    // `count` characters, one byte each (the high bytes left out) or two. Where
    // the characters go on in a continuation, it starts with its own flags.
    QString chars(quint32 count, bool wide)
    {
        QString text;
        text.reserve(qMin<quint32>(count, 8224));
        while (count > 0 && !m_bad) {
            if (m_part < m_parts.size() && m_at >= m_parts.at(m_part).size()) {
                ++m_part;
                m_at = 0;
                wide = u8() & 1;
                continue;
            }
            if (m_part >= m_parts.size()) {
                m_bad = true;
                break;
            }
            const QByteArrayView part = m_parts.at(m_part);
            const qsizetype available = (part.size() - m_at) / (wide ? 2 : 1);
            if (available == 0) { // half a character
                m_bad = true;
                break;
            }
            const quint32 take = quint32(qMin<qsizetype>(count, available));
            for (quint32 i = 0; i < take; ++i) {
                const auto lo = quint8(part.at(m_at++));
                const auto hi = wide ? quint8(part.at(m_at++)) : quint8(0);
                text.append(QChar(char16_t(lo | (hi << 8))));
            }
            count -= take;
        }
        return text;
    }

private:
    void settle()
    {
        while (m_part < m_parts.size() && m_at >= m_parts.at(m_part).size()) {
            ++m_part;
            m_at = 0;
        }
    }

    QList<QByteArrayView> m_parts;
    qsizetype m_part = 0;
    qsizetype m_at = 0;
    bool m_bad = false;
};

double rkValue(quint32 rk)
{
    double value;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

void put(SheetCells *cells, int row, int column, const QString &text)
{
    const quint32 key = CellKey(row, column);
    if (text.isEmpty()) {
        cells->text.remove(key);
        return;
    }
    cells->text.insert(key, text);
    cells->rows = qMax(cells->rows, row + 1);
    cells->columns = qMax(cells->columns, column + 1);
    cells->firstRow = qMin(cells->firstRow, row);
}
} // namespace

NumberShown NumberFormatShows(const QString &code)
{
    bool date = false;
    bool time = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (c == QLatin1Char('"')) {
            i = code.indexOf(QLatin1Char('"'), i + 1);
            if (i < 0)
                break;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = code.indexOf(QLatin1Char(']'), i + 1);
            if (end < 0)
                break;
            // [h], [mm], [ss]: elapsed time; anything else in brackets is a colour, condition or locale.
            const QString inner = code.mid(i + 1, end - i - 1).toLower();
            if (!inner.isEmpty() && QStringLiteral("hms").contains(inner.front())
                && inner.count(inner.front()) == inner.size())
                time = true;
            i = end;
        } else if (c == QLatin1Char('y') || c == QLatin1Char('d')) {
            date = true;
        } else if (c == QLatin1Char('h') || c == QLatin1Char('s')) {
            time = true;
        }
    }
    return date && time ? NumberShown::DateTime
           : date       ? NumberShown::Date
           : time       ? NumberShown::Time
                        : NumberShown::Number;
}

int ZeroPaddedWidth(const QString &code)
{
    if (code.isEmpty() || code.size() > 30)
        return 0;
    for (QChar c : code)
        if (c != QLatin1Char('0'))
            return 0;
    return int(code.size());
}

QString SerialDateText(double serial, NumberShown shown, bool date1904)
{
    if (shown == NumberShown::Number || !std::isfinite(serial) || serial < 0 || serial >= 2958466)
        return {};
    qint64 day = qint64(std::floor(serial));
    qint64 seconds = std::llround((serial - double(day)) * 86400.0);
    if (seconds >= 86400 && shown != NumberShown::Date) {
        ++day;
        seconds -= 86400;
    }
    const QString time = QTime(0, 0).addSecs(int(qMin<qint64>(seconds, 86399))).toString(QStringLiteral("HH:mm:ss"));
    if (shown == NumberShown::Time)
        return time;
    // The 1900 date system counts a 29 February 1900 that never was (day 60).
    QDate date;
    if (date1904)
        date = QDate(1904, 1, 1).addDays(day);
    else if (day >= 61)
        date = QDate(1899, 12, 30).addDays(day);
    else if (day >= 1 && day < 60)
        date = QDate(1899, 12, 31).addDays(day);
    if (!date.isValid() || date.year() > 9999)
        return {};
    const QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    return shown == NumberShown::Date ? text : text + QLatin1Char(' ') + time;
}

bool BiffWorkbook::fail(const QString &reason)
{
    m_error = QStringLiteral("the file is corrupt (%1)").arg(reason);
    return false;
}

bool BiffWorkbook::open(const QByteArray &stream)
{
    *this = BiffWorkbook();
    m_stream = stream;
    RecordCursor cursor(m_stream, 0);
    Record record;
    if (!cursor.next(&record) || record.type != kBof || record.data.size() < 4)
        return fail(QStringLiteral("the workbook stream does not begin with a workbook record"));
    // Excel 5.0/95 and older wrote texts in a code page and records of other
    // layouts; such files are rare enough now to be re-saved rather than read.
    if (qFromLittleEndian<quint16>(record.data.data()) != 0x0600) {
        m_error = QStringLiteral("the workbook was saved in a format older than Excel 97-2003; "
                                 "open it in a spreadsheet program and save it as an Excel 97-2003 workbook");
        return false;
    }

    while (cursor.next(&record)) {
        Reader in(record.data);
        switch (record.type) {
        case kEof:
            resolveNames();
            return true;
        case kFilePass:
            // The rest is encrypted; the caller refuses the workbook.
            m_encrypted = true;
            return true;
        case kDateMode:
            m_date1904 = in.u16() != 0;
            break;
        case kXf:
            in.skip(2);
            m_xfFormats << in.u16();
            break;
        case kFormat: {
            const quint16 index = in.u16();
            const QString code = in.text(in.u16());
            m_formats.insert(index, NumberFormatShows(code));
            if (const int zeros = ZeroPaddedWidth(code); zeros > 0)
                m_zeroPadded.insert(index, zeros);
            break;
        }
        case kBoundSheet: {
            Sheet sheet;
            sheet.offset = in.u32();
            in.skip(1); // visible or hidden: both are listed
            const quint8 kind = in.u8();
            sheet.name = in.text(in.u8());
            m_worksheetOfSheet << (kind == 0 ? int(m_sheets.size()) : -1);
            if (in.ok() && kind == 0)
                m_sheets << sheet;
            break;
        }
        case kSupBook:
            // The book of the workbook's own sheets is marked 0x0401.
            in.skip(2);
            if (in.u16() == 0x0401)
                m_ownBook = m_books;
            ++m_books;
            break;
        case kExternSheet:
            for (quint16 n = in.u16(); n > 0 && in.ok(); --n)
                m_externSheets << ExternSheet{in.u16(), in.u16(), in.u16()};
            break;
        case kName: {
            const quint16 flags = in.u16();
            in.skip(1);
            const quint8 length = in.u8();
            const quint16 formulaSize = in.u16();
            in.skip(2);
            const quint16 localTo = in.u16();
            in.skip(4);
            PendingName pending;
            pending.range.name = in.text(length);
            // Hidden, function, command and built-in names (print areas, filters) are no tables.
            if ((flags & 0x002F) != 0 || localTo != 0 || formulaSize == 0)
                break;
            const quint8 token = in.u8();
            pending.externSheet = in.u16();
            if ((token == 0x3B || token == 0x5B || token == 0x7B) && formulaSize == 11) {
                pending.range.firstRow = in.u16();
                pending.range.lastRow = in.u16();
                pending.range.firstColumn = in.u16() & 0x3FFF;
                pending.range.lastColumn = in.u16() & 0x3FFF;
            } else if ((token == 0x3A || token == 0x5A || token == 0x7A) && formulaSize == 7) {
                pending.range.firstRow = pending.range.lastRow = in.u16();
                pending.range.firstColumn = pending.range.lastColumn = in.u16() & 0x3FFF;
            } else {
                break; // a formula or more than one block
            }
            if (in.ok())
                m_pendingNames << pending;
            break;
        }
        case kSst: {
            Reader texts(cursor.withContinues(record));
            texts.skip(4);
            const quint32 unique = texts.u32();
            for (quint32 i = 0; i < unique && texts.ok() && !texts.atEnd(); ++i) {
                const quint16 count = texts.u16();
                const quint8 flags = texts.u8();
                const quint16 runs = (flags & 0x08) ? texts.u16() : 0;
                const quint32 extra = (flags & 0x04) ? texts.u32() : 0;
                m_sharedTexts << texts.chars(count, flags & 0x01);
                texts.skip(quint64(runs) * 4 + extra);
            }
            if (!texts.ok())
                return fail(QStringLiteral("the table of shared texts is damaged"));
            continue;
        }
        default:
            continue;
        }
        if (!in.ok())
            return fail(
                QStringLiteral("record 0x%1 of the workbook is too short").arg(record.type, 4, 16, QLatin1Char('0')));
    }
    return fail(QStringLiteral("the workbook stream is cut short"));
}

void BiffWorkbook::resolveNames()
{
    for (PendingName pending : std::as_const(m_pendingNames)) {
        if (pending.externSheet >= m_externSheets.size())
            continue;
        const ExternSheet &target = m_externSheets.at(pending.externSheet);
        // Only a block on one worksheet of this workbook reads as a table.
        const bool ownBook = m_ownBook >= 0 ? target.book == m_ownBook : target.book == 0;
        if (!ownBook || target.firstSheet != target.lastSheet || target.firstSheet >= m_worksheetOfSheet.size())
            continue;
        NamedRange &range = pending.range;
        range.sheet = m_worksheetOfSheet.at(target.firstSheet);
        if (range.sheet < 0)
            continue;
        if (range.firstRow > range.lastRow)
            std::swap(range.firstRow, range.lastRow);
        if (range.firstColumn > range.lastColumn)
            std::swap(range.firstColumn, range.lastColumn);
        m_ranges << range;
    }
}

QStringList BiffWorkbook::sheetNames() const
{
    QStringList names;
    for (const Sheet &sheet : m_sheets)
        names << sheet.name;
    return names;
}

NumberShown BiffWorkbook::formatOf(quint16 xf) const
{
    if (xf >= m_xfFormats.size())
        return NumberShown::Number;
    const quint16 format = m_xfFormats.at(xf);
    if (const auto it = m_formats.constFind(format); it != m_formats.constEnd())
        return *it;
    // The built-in formats every workbook knows without a FORMAT record.
    if (format >= 14 && format <= 17)
        return NumberShown::Date;
    if ((format >= 18 && format <= 21) || (format >= 45 && format <= 47))
        return NumberShown::Time;
    return format == 22 ? NumberShown::DateTime : NumberShown::Number;
}

QString BiffWorkbook::numberText(double value, quint16 xf) const
{
    // A tariff number kept as a number shows its leading zeros through its format.
    if (xf < m_xfFormats.size()) {
        const int zeros = m_zeroPadded.value(m_xfFormats.at(xf));
        if (zeros > 0 && value >= 0 && value < 9007199254740992.0 && value == std::floor(value))
            return NumberText(value).rightJustified(zeros, QLatin1Char('0'));
    }
    const QString date = SerialDateText(value, formatOf(xf), m_date1904);
    return date.isEmpty() ? NumberText(value) : date;
}

bool BiffWorkbook::readSheet(int index, SheetCells *cells)
{
    *cells = SheetCells();
    m_error.clear();
    if (index < 0 || index >= m_sheets.size())
        return fail(QStringLiteral("no sheet %1").arg(index));
    const Sheet &sheet = m_sheets.at(index);
    RecordCursor cursor(m_stream, sheet.offset);
    Record record;
    if (sheet.offset >= quint32(m_stream.size()) || !cursor.next(&record) || record.type != kBof)
        return fail(QStringLiteral("the sheet does not begin where the workbook says"));

    int nested = 0; // charts embedded in the sheet have records of their own
    qint64 pendingFormula = -1;
    while (cursor.next(&record)) {
        if (record.type == kBof) {
            ++nested;
            continue;
        }
        if (record.type == kEof) {
            if (nested-- == 0)
                return true;
            continue;
        }
        if (nested > 0)
            continue;
        Reader in(record.data);
        switch (record.type) {
        case kNumber:
        case kRk:
        case kLabelSst:
        case kLabel:
        case kRString:
        case kBoolErr:
        case kFormula: {
            const quint16 row = in.u16();
            const quint16 column = in.u16();
            const quint16 xf = in.u16();
            QString text;
            if (record.type == kNumber) {
                text = numberText(in.f64(), xf);
            } else if (record.type == kRk) {
                text = numberText(rkValue(in.u32()), xf);
            } else if (record.type == kLabelSst) {
                const quint32 at = in.u32();
                if (in.ok() && at >= quint32(m_sharedTexts.size()))
                    return fail(QStringLiteral("a cell refers to a shared text the workbook does not have"));
                if (in.ok())
                    text = m_sharedTexts.at(at);
            } else if (record.type == kLabel || record.type == kRString) {
                text = in.text(in.u16());
            } else if (record.type == kBoolErr) {
                const quint8 value = in.u8();
                if (in.u8() == 0) // an error value (#N/A, #DIV/0!) holds nothing
                    text = value ? QStringLiteral("1") : QStringLiteral("0");
            } else {
                // A formula keeps its last result: a number, or a kind in the first byte.
                const QByteArrayView result = record.data.size() >= 14 ? record.data.sliced(6, 8) : QByteArrayView();
                if (result.size() == 8 && quint8(result.at(6)) == 0xFF && quint8(result.at(7)) == 0xFF) {
                    const quint8 kind = quint8(result.at(0));
                    if (kind == 0)
                        pendingFormula = CellKey(row, column); // the text follows in a STRING record
                    else if (kind == 1)
                        text = result.at(2) ? QStringLiteral("1") : QStringLiteral("0");
                } else {
                    text = numberText(in.f64(), xf);
                }
            }
            if (!in.ok())
                return fail(QStringLiteral("a cell record is too short"));
            put(cells, row, column, text);
            break;
        }
        case kMulRk: {
            // Row, first column, (format, value) pairs, last column.
            if (record.data.size() < 6 || (record.data.size() - 6) % 6 != 0)
                return fail(QStringLiteral("a cell record is damaged"));
            const quint16 row = in.u16();
            const int first = in.u16();
            const int count = int(record.data.size() - 6) / 6;
            if (first + count > 0x10000)
                return fail(QStringLiteral("a cell record is damaged"));
            for (int i = 0; i < count; ++i) {
                const quint16 xf = in.u16();
                put(cells, row, first + i, numberText(rkValue(in.u32()), xf));
            }
            break;
        }
        case kString: {
            if (pendingFormula < 0)
                break;
            Reader text(cursor.withContinues(record));
            const QString value = text.text(text.u16());
            if (!text.ok())
                return fail(QStringLiteral("the text of a formula is damaged"));
            put(cells, int(pendingFormula >> 16), int(pendingFormula & 0xFFFF), value);
            pendingFormula = -1;
            break;
        }
        default:
            break;
        }
    }
    *cells = SheetCells();
    return fail(QStringLiteral("the sheet is cut short"));
}

QString NumberText(double value)
{
    // Integers up to 2^53 are exact in a double; beyond that the digits are noise.
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9007199254740992.0)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}
