#include "JetValues.h"

#include "CodePages.h"
#include "JetSqlite.h"

#include <QDate>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

using Jet::Value;

namespace {

// Jet 4 text: UTF-16LE, or "compressed" (FF FE, then single bytes for code
// points below 256, a zero byte switching between single bytes and pairs).
QString decodeJet4Text(const uchar *p, int n)
{
    QString text;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        text.reserve(n);
        bool single = true;
        for (int i = 2; i < n;) {
            if (p[i] == 0) {
                single = !single;
                ++i;
            } else if (single) {
                text.append(QChar(p[i]));
                ++i;
            } else if (i + 1 < n) {
                text.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    text.reserve(n / 2);
    for (int i = 0; i + 1 < n; i += 2)
        text.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
    return text;
}

// Jet 3 text is in Windows-1252, the code page the files are written in here;
// bytes it leaves undefined keep their own value.
QByteArray decodeText(MdbHandle *mdb, const uchar *p, int n)
{
    if (!IS_JET3(mdb))
        return decodeJet4Text(p, n).toUtf8();
    std::string text;
    AppendDecodedUtf8(text, reinterpret_cast<const char *>(p), size_t(n), CodePageHighHalf(1252),
                      UndefinedBytes::KeepValue);
    return QByteArray(text.data(), qsizetype(text.size()));
}

// A memo or OLE value: 12 bytes in the row that hold its length and either
// the data itself or where its chain of pages starts.
bool readLongValue(MdbHandle *mdb, int start, int size, qint64 fileSize, QByteArray *out)
{
    out->clear();
    if (size < MDB_MEMO_OVERHEAD)
        return true;
    const uchar *head = mdb->pg_buf + start;
    const quint32 length = qFromLittleEndian<quint32>(head);
    const qint32 pageRow = qFromLittleEndian<qint32>(head + 4);
    const int pageSize = int(mdb->fmt->pg_size);

    auto rowAt = [&](qint32 where, const uchar **data, size_t *len) {
        void *buf = nullptr;
        int offset = 0;
        if (mdb_find_pg_row(mdb, where, &buf, &offset, len) != 0 || !buf)
            return false;
        if (offset < 0 || offset > pageSize || *len > size_t(pageSize - offset))
            return false;
        *data = static_cast<const uchar *>(buf) + offset;
        return true;
    };

    if (length & 0x80000000u) { // inline
        out->append(reinterpret_cast<const char *>(head + MDB_MEMO_OVERHEAD), size - MDB_MEMO_OVERHEAD);
        return true;
    }
    if (length & 0x40000000u) { // one page
        const uchar *data = nullptr;
        size_t len = 0;
        if (!rowAt(pageRow, &data, &len))
            return false;
        out->append(reinterpret_cast<const char *>(data), qsizetype(len));
        return true;
    }
    if (length & 0xFF000000u)
        return false;
    // A chain of pages, each row starting with the next one's page and row.
    const qint64 total = qMin<qint64>(length, fileSize);
    out->reserve(qsizetype(total));
    QSet<qint32> visited;
    for (qint32 where = pageRow; where != 0 && out->size() < total;) {
        if (visited.contains(where))
            return false;
        visited.insert(where);
        const uchar *data = nullptr;
        size_t len = 0;
        if (!rowAt(where, &data, &len) || len < 4)
            return false;
        const qint64 part = qMin<qint64>(qint64(len) - 4, total - out->size());
        out->append(reinterpret_cast<const char *>(data + 4), qsizetype(part));
        where = qFromLittleEndian<qint32>(data);
    }
    return true;
}

int fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
        return 4;
    case MDB_FLOAT:
        return 4;
    case MDB_DOUBLE:
        return 8;
    case MDB_DATETIME:
        return 8;
    case MDB_MONEY:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

QByteArray guidText(const uchar *p)
{
    // The first three groups are little-endian, the rest as stored.
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    QByteArray text = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += QByteArray::number(p[order[i]] | 0x100, 16).right(2).toUpper();
    }
    return text + '}';
}

} // namespace

namespace Jet {

bool DecodeField(MdbHandle *mdb, const MdbColumn *col, const MdbField &field, qint64 fileSize, Value *v)
{
    *v = Value();
    const auto integer = [v](qint64 value) {
        v->kind = Value::Integer;
        v->integer = value;
        return true;
    };
    const auto real = [v](double value) {
        v->kind = Value::Real;
        v->real = value;
        return true;
    };
    const auto bytes = [v](Value::Kind kind, QByteArray value) {
        v->kind = kind;
        v->bytes = std::move(value);
        return true;
    };
    if (col->col_type == MDB_BOOL)
        return integer(field.is_null ? 0 : 1); // a yes/no field has no data: its null bit is its value
    if (field.is_null)
        return true;
    const int pageSize = int(mdb->fmt->pg_size);
    if (field.start < 0 || field.siz < 0 || field.start > pageSize || field.siz > pageSize - field.start)
        return false;
    const uchar *p = mdb->pg_buf + field.start;
    const int n = field.siz;
    const int need = fixedSize(col->col_type);
    if (need && n < need)
        return false;
    switch (col->col_type) {
    case MDB_BYTE:
        return integer(p[0]);
    case MDB_INT:
        return integer(qFromLittleEndian<qint16>(p));
    case MDB_LONGINT:
        return integer(qFromLittleEndian<qint32>(p));
    case MDB_FLOAT:
        return real(double(qFromLittleEndian<float>(p)));
    case MDB_DOUBLE:
        return real(qFromLittleEndian<double>(p));
    case MDB_DATETIME: {
        const QString text = JetDateTimeText(qFromLittleEndian<double>(p));
        return text.isEmpty() || bytes(Value::Text, text.toUtf8());
    }
    case MDB_MONEY:
        return bytes(Value::Text, JetCurrencyText(qFromLittleEndian<qint64>(p)).toUtf8());
    case MDB_NUMERIC: {
        if (col->col_prec < 1 || col->col_prec > 28 || col->col_scale < 0 || col->col_scale > col->col_prec)
            return false;
        const std::unique_ptr<char, decltype(&g_free)> text(
            mdb_numeric_to_string(mdb, field.start, col->col_scale, col->col_prec), g_free);
        return text && bytes(Value::Text, QByteArray(text.get()));
    }
    case MDB_REPID:
        return bytes(Value::Text, guidText(p));
    case MDB_TEXT:
        return bytes(Value::Text, decodeText(mdb, p, n));
    case MDB_BINARY:
        return bytes(Value::Blob, QByteArray(reinterpret_cast<const char *>(p), n));
    case MDB_MEMO:
    case MDB_OLE: {
        QByteArray raw;
        if (!readLongValue(mdb, field.start, n, fileSize, &raw))
            return false;
        if (col->col_type == MDB_OLE)
            return bytes(Value::Blob, std::move(raw));
        return bytes(Value::Text, decodeText(mdb, reinterpret_cast<const uchar *>(raw.constData()), int(raw.size())));
    }
    default:
        return true; // a type this program has no use for reads as null
    }
}

const char *DeclaredType(int type)
{
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return "REAL";
    case MDB_MONEY:
    case MDB_NUMERIC:
        return "NUMERIC";
    case MDB_BINARY:
    case MDB_OLE:
        return "BLOB";
    default:
        return "TEXT";
    }
}

} // namespace Jet
