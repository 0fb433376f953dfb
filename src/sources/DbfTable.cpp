#include "DbfTable.h"

#include "CodePages.h"
#include "PositionalRead.h"
#include "app/RegularFile.h"

#include <QDate>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
quint32 le16(const unsigned char *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8);
}

quint32 le32(const unsigned char *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

qint64 le64(const unsigned char *p)
{
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return qint64(v);
}

bool isVisualFoxPro(unsigned char version)
{
    return version == 0x30 || version == 0x31 || version == 0x32;
}

bool knownVersion(unsigned char version)
{
    switch (version) {
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x43:
    case 0x63:
    case 0x83:
    case 0x8B:
    case 0x8E:
    case 0xCB:
    case 0xF5:
    case 0xFB:
        return true;
    default:
        return false;
    }
}

// Blanks trimmed from both ends, as a view.
void trimmed(const char *&p, size_t &n)
{
    while (n && (*p == ' ' || *p == '\0')) {
        ++p;
        --n;
    }
    while (n && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
}

constexpr quint32 kBufferBytes = 256 * 1024;

// FoxPro keeps memos in an .fpt file, dBase in a .dbt one.
DbfMemo::Format memoFormat(unsigned char version)
{
    switch (version) {
    case 0x30:
    case 0x31:
    case 0x32:
    case 0xF5:
    case 0xFB:
        return DbfMemo::FoxPro;
    case 0x8B:
    case 0xCB:
        return DbfMemo::DBaseIV;
    default:
        return DbfMemo::DBaseIII;
    }
}

constexpr size_t kMostFields = 255; // dBase and FoxPro allow no more

// A numeric field's text, blanks trimmed: a decimal number with an optional
// sign and point, and an exponent as FoxPro writes one in a float field
// ("1.5E+10"). Anything else (an overflow mark of asterisks, "0x1A", "inf")
// is no number, and false is returned.
//
// Up to 15 digits the whole number and the power of ten below it are exact
// doubles, so one division gives the correctly rounded value, the very double
// strtod gives, at a fraction of its cost, and its shortest text is the
// field's number again; integers of up to 18 digits are exact as they are.
// A longer number has no double that stands for it: it is handed out as the
// field's text, which the readers take as exactly that decimal.
bool readNumber(const char *p, size_t n, DbfValue &out)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t i = 0;
    const bool negative = p[0] == '-';
    if (p[0] == '-' || p[0] == '+')
        ++i;
    quint64 whole = 0;
    int digits = 0;
    int decimals = -1; // -1: no point yet
    for (; i < n; ++i) {
        const char c = p[i];
        if (c >= '0' && c <= '9') {
            if (++digits <= 18)
                whole = whole * 10 + quint64(c - '0');
            if (decimals >= 0)
                ++decimals;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    const bool exponent = i < n;
    if (exponent) {
        if (p[i] != 'E' && p[i] != 'e')
            return false;
        if (++i < n && (p[i] == '+' || p[i] == '-'))
            ++i;
        const size_t first = i;
        while (i < n && p[i] >= '0' && p[i] <= '9')
            ++i;
        if (i == first || i != n)
            return false;
    }
    if (!exponent && decimals < 0 && digits <= 18) {
        out.kind = DbfValue::Integer;
        out.integer = negative ? -qint64(whole) : qint64(whole);
        return true;
    }
    if (!exponent && digits <= 15) {
        const double magnitude = double(whole) / kPowers[decimals < 0 ? 0 : decimals];
        out.kind = DbfValue::Real;
        out.real = negative ? -magnitude : magnitude;
        return true;
    }
    char buf[256]; // a field is at most 255 bytes long
    memcpy(buf, p, n);
    buf[n] = '\0';
    char *end = nullptr;
    if (!exponent && decimals < 0) {
        errno = 0;
        const long long v = strtoll(buf, &end, 10);
        if (errno == 0) {
            out.kind = DbfValue::Integer;
            out.integer = v;
            return true;
        }
    }
    if (!exponent) {
        out.kind = DbfValue::Text;
        out.text.assign(p, n);
        return true;
    }
    out.kind = DbfValue::Real;
    out.real = strtod(buf, &end);
    return true;
}

// A Currency field, ten-thousandths in 64 bits: a double while it stands for
// the amount exactly (15 digits or fewer), otherwise the amount as text.
void readCurrency(qint64 units, DbfValue &out)
{
    constexpr qint64 kExactBelow = 1000000000000000LL; // 10^15
    if (units > -kExactBelow && units < kExactBelow) {
        out.kind = DbfValue::Real;
        out.real = double(units) / 10000.0;
        return;
    }
    const bool negative = units < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    char digits[32];
    const int length = snprintf(digits, sizeof digits, "%s%llu.%04llu", negative ? "-" : "",
                                static_cast<unsigned long long>(magnitude / 10000),
                                static_cast<unsigned long long>(magnitude % 10000));
    out.kind = DbfValue::Text;
    out.text.assign(digits, size_t(length));
}
} // namespace

bool DbfTable::fail(QString *error, const QString &why)
{
    *error = why;
    m_file.close();
    return false;
}

bool DbfTable::damaged(QString *error, const QString &why)
{
    return fail(error, QStringLiteral("%1 is damaged: %2").arg(QFileInfo(m_path).fileName(), why));
}

bool DbfTable::open(const QString &path, QString *error, bool memos)
{
    close();
    m_path = path;
    QString problem;
    if (!OpenRegularFile(&m_file, path, &problem))
        return fail(error, problem);
    // Taken before anything is read, so that any later write shows.
    m_identity = IdentityOfOpenFile(m_file.handle());

    const qint64 size = m_file.size();
    if (size == 0)
        return damaged(error, QStringLiteral("the file is empty"));
    unsigned char version = 0;
    if (!readHeader(size, &version, error) || !readFields(version, error) || !recordsFit(size, error))
        return false;
    const bool hasMemos =
        std::any_of(m_fields.begin(), m_fields.end(), [](const DbfField &f) { return f.type == 'M'; });
    if (memos && hasMemos && !m_memo.open(path, memoFormat(version), error)) {
        m_file.close();
        return false;
    }
    reset();
    return true;
}

bool DbfTable::readHeader(qint64 size, unsigned char *version, QString *error)
{
    unsigned char head[32];
    if (size < 32 || m_file.read(reinterpret_cast<char *>(head), 32) != 32)
        return damaged(error, QStringLiteral("the file is %1 bytes long, shorter than a table's header").arg(size));
    *version = head[0];
    if (!knownVersion(*version))
        return damaged(error, QStringLiteral("it does not start like a dBase or FoxPro table (version byte 0x%1)")
                                  .arg(*version, 2, 16, QLatin1Char('0')));

    m_recordCount = le32(head + 4);
    m_headerLength = le16(head + 8);
    m_recordLength = le16(head + 10);
    m_codePage = CodePageFromDbfMark(head[29]);
    m_highHalf = CodePageHighHalf(m_codePage);

    if (m_headerLength < 33)
        return damaged(error,
                       QStringLiteral("the header is %1 bytes long, too short to list a field").arg(m_headerLength));
    if (qint64(m_headerLength) > size)
        return damaged(
            error, QStringLiteral("the header is %1 bytes long but the file only %2").arg(m_headerLength).arg(size));
    if (m_recordLength < 2)
        return damaged(error, QStringLiteral("the header gives records of %1 bytes").arg(m_recordLength));
    return true;
}

bool DbfTable::readFields(unsigned char version, QString *error)
{
    QByteArray descriptors = m_file.read(m_headerLength - 32);
    if (descriptors.size() != int(m_headerLength - 32))
        return fail(error,
                    QStringLiteral("%1 cannot be read: %2").arg(QFileInfo(m_path).fileName(), m_file.errorString()));

    int offset = 1;
    int nextBit = 0;
    bool terminated = false;
    for (qsizetype at = 0; at + 1 <= descriptors.size(); at += 32) {
        const auto *d = reinterpret_cast<const unsigned char *>(descriptors.constData() + at);
        if (d[0] == 0x0D) {
            terminated = true;
            break;
        }
        if (at + 32 > descriptors.size())
            break;
        DbfField f;
        const char *nameBytes = reinterpret_cast<const char *>(d);
        f.name = QString::fromLatin1(nameBytes, qsizetype(strnlen(nameBytes, 11))).trimmed();
        f.type = char(d[11]);
        f.length = d[16];
        f.decimals = d[17];
        f.offset = offset;
        const unsigned char flags = isVisualFoxPro(version) ? d[18] : 0;
        if (f.length == 0)
            return damaged(error, QStringLiteral("the field %1 has no length").arg(f.name));
        offset += f.length;
        if (f.type == '0') { // Visual FoxPro's hidden _NullFlags
            m_nullFlagsOffset = f.offset;
            m_nullFlagsLength = f.length;
            continue;
        }
        if (f.name.isEmpty())
            return damaged(error, QStringLiteral("field %1 has no name").arg(m_fields.size() + 1));
        if (f.type == 'V' || f.type == 'Q')
            ++nextBit; // the variable-length bit comes first
        if (flags & 0x02)
            f.nullBit = nextBit++;
        m_fields.push_back(f);
    }
    if (!terminated)
        return damaged(error, QStringLiteral("the field list has no end mark"));
    if (m_fields.empty())
        return damaged(error, QStringLiteral("the header lists no fields"));
    if (m_fields.size() > kMostFields)
        return damaged(error,
                       QStringLiteral("the header lists %1 fields, more than a table can have").arg(m_fields.size()));
    if (quint32(offset) != m_recordLength)
        return damaged(error, QStringLiteral("the fields take %1 bytes of a record but the header gives records of %2")
                                  .arg(offset)
                                  .arg(m_recordLength));
    if (m_nullFlagsOffset >= 0 && nextBit > m_nullFlagsLength * 8)
        return damaged(error, QStringLiteral("the null flags have no room for every field that may be null"));
    for (DbfField &f : m_fields) {
        if (f.nullBit >= 0 && m_nullFlagsOffset < 0)
            f.nullBit = -1;
    }
    return true;
}

bool DbfTable::recordsFit(qint64 size, QString *error)
{
    // Past the records may come the end-of-file mark and the start of a
    // record a crash left half written, never a whole record: records the
    // header does not count would be left out of every figure without a word.
    const qint64 needed = qint64(m_headerLength) + qint64(m_recordCount) * qint64(m_recordLength);
    qint64 beyond = size - needed;
    if (beyond > 0) {
        char mark = 0;
        if (m_file.seek(needed) && m_file.getChar(&mark) && mark == 0x1A)
            --beyond;
    }
    if (needed > size || beyond >= qint64(m_recordLength)) {
        const qint64 held = (size - m_headerLength) / m_recordLength;
        return damaged(
            error, QStringLiteral("the header promises %1 records but the file holds %2").arg(m_recordCount).arg(held));
    }
    return true;
}

void DbfTable::close()
{
    m_file.close();
    m_memo.close();
    m_fields.clear();
    m_nullFlagsOffset = -1;
    m_nullFlagsLength = 0;
    m_recordCount = 0;
    m_buffer.clear();
    m_bufferFirst = m_bufferCount = 0;
    m_current = 0;
    m_record = nullptr;
    m_error.clear();
}

void DbfTable::reset()
{
    m_current = 0;
    m_bufferFirst = 0;
    m_bufferCount = 0;
    m_record = nullptr;
    m_error.clear();
}

bool DbfTable::unchanged() const
{
    if (!FileUnchanged(m_identity, m_path))
        return false;
    unsigned char count[4];
    if (ReadAt(m_file.handle(), count, 4, 4) != 4 || le32(count) != m_recordCount)
        return false;
    return !m_memo.isOpen() || FileUnchanged(m_memo.identity(), m_memo.path());
}

QString DbfTable::changedMessage() const
{
    return ChangedWhileReadMessage(QFileInfo(m_path).fileName());
}

bool DbfTable::rewind()
{
    reset();
    if (!m_file.isOpen())
        return false;
    if (!unchanged()) {
        m_error = changedMessage();
        return false;
    }
    return true;
}

bool DbfTable::next()
{
    while (m_current < m_recordCount) {
        const quint32 index = m_current; // 0-based index of the record to read
        if (index < m_bufferFirst || index >= m_bufferFirst + m_bufferCount) {
            const quint32 perBuffer = std::max<quint32>(1, kBufferBytes / m_recordLength);
            const quint32 count = std::min(perBuffer, m_recordCount - index);
            m_buffer.resize(size_t(count) * m_recordLength);
            if (!m_file.seek(qint64(m_headerLength) + qint64(index) * m_recordLength)
                || m_file.read(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size())) {
                m_error = unchanged() ? QStringLiteral("%1: record %2 cannot be read (%3)")
                                            .arg(QFileInfo(m_path).fileName())
                                            .arg(index + 1)
                                            .arg(m_file.errorString())
                                      : changedMessage();
                m_record = nullptr;
                return false;
            }
            m_bufferFirst = index;
            m_bufferCount = count;
        }
        m_record = m_buffer.data() + size_t(index - m_bufferFirst) * m_recordLength;
        ++m_current;
        if (m_record[0] != '*')
            return true;
    }
    m_record = nullptr;
    if (m_file.isOpen() && m_error.isEmpty() && !unchanged())
        m_error = changedMessage();
    return false;
}

bool DbfTable::isNull(const DbfField &field) const
{
    if (field.nullBit < 0)
        return false;
    const auto *flags = reinterpret_cast<const unsigned char *>(m_record + m_nullFlagsOffset);
    return (flags[field.nullBit / 8] >> (field.nullBit % 8)) & 1;
}

bool DbfTable::value(int index, DbfValue &out) const
{
    out.kind = DbfValue::Null;
    out.text.clear();
    if (!m_record || index < 0 || size_t(index) >= m_fields.size())
        return true;
    const DbfField &f = m_fields[size_t(index)];
    if (isNull(f))
        return true;
    const char *p = m_record + f.offset;
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    size_t n = size_t(f.length);

    switch (f.type) {
    case 'C':
    case 'V':
        out.kind = DbfValue::Text;
        AppendDecodedUtf8(out.text, p, n, m_highHalf);
        return true;
    case 'N':
    case 'F':
        trimmed(p, n);
        if (n == 0 || readNumber(p, n, out))
            return true;
        out.kind = DbfValue::BadNumber;
        out.text.assign(p, n);
        return true;
    case 'D': {
        trimmed(p, n);
        if (n == 0)
            return true;
        bool digits = n == 8;
        for (size_t i = 0; digits && i < 8; ++i)
            digits = p[i] >= '0' && p[i] <= '9';
        out.kind = DbfValue::Text;
        if (digits) {
            out.text.assign(p, 4);
            out.text += '-';
            out.text.append(p + 4, 2);
            out.text += '-';
            out.text.append(p + 6, 2);
        } else {
            out.text.assign(p, n);
        }
        return true;
    }
    case 'L': {
        // True or false in either case; anything else ("?", blank) stays null.
        const char c = char(p[0] | 0x20);
        if (c == 't' || c == 'y' || c == 'f' || c == 'n') {
            out.kind = DbfValue::Integer;
            out.integer = (c == 't' || c == 'y') ? 1 : 0;
        }
        return true;
    }
    case 'I':
        if (n != 4)
            return true;
        out.kind = DbfValue::Integer;
        out.integer = qint32(le32(u));
        return true;
    case 'Y':
        if (n != 8)
            return true;
        readCurrency(le64(u), out);
        return true;
    case 'B': {
        if (n != 8)
            return true;
        const qint64 bits = le64(u);
        double d;
        memcpy(&d, &bits, sizeof d);
        out.kind = DbfValue::Real;
        out.real = d;
        return true;
    }
    case 'T': {
        if (n != 8)
            return true;
        const qint32 day = qint32(le32(u));
        const qint32 ms = qint32(le32(u + 4));
        if (day == 0 && ms == 0)
            return true;
        const QDate date = QDate::fromJulianDay(day);
        if (!date.isValid() || ms < 0 || ms >= 86400000)
            return true;
        // Rounded to the second within its day: 23:59:59.5 is still that day.
        const int seconds = std::min((ms + 500) / 1000, 86399);
        const QString text = date.toString(Qt::ISODate)
                             + QStringLiteral("T%1:%2:%3")
                                   .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                   .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                                   .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        out.kind = DbfValue::Text;
        out.text = text.toStdString();
        return true;
    }
    case 'M': {
        if (!m_memo.isOpen())
            return true;
        QString why;
        if (!m_memo.read(p, int(n), m_current, &m_memoBytes, &why)) {
            m_error = unchanged() ? why : changedMessage();
            return false;
        }
        out.kind = DbfValue::Text;
        AppendDecodedUtf8(out.text, m_memoBytes.data(), m_memoBytes.size(), m_highHalf);
        return true;
    }
    case 'G':
    case 'P':
    case 'W':
    case 'Q':
        return true; // pictures, OLE objects and binary data are not read
    default:
        out.kind = DbfValue::Text;
        AppendDecodedUtf8(out.text, p, n, m_highHalf);
        return true;
    }
}

QVariant DbfTable::variant(int index) const
{
    DbfValue v;
    if (!value(index, v))
        return QVariant();
    switch (v.kind) {
    case DbfValue::Null:
        return QVariant();
    case DbfValue::Integer:
        return QVariant(v.integer);
    case DbfValue::Real:
        return QVariant(v.real);
    case DbfValue::Text:
        return QVariant(QString::fromStdString(v.text));
    case DbfValue::BadNumber:
        return QVariant(QByteArray(v.text.data(), qsizetype(v.text.size())));
    }
    return QVariant();
}
