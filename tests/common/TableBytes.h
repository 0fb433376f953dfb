#pragma once

// A dBase/FoxPro table held as bytes, for tests that patch a good fixture into
// the damaged or odd file they need.

#include "TestHelpers.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

class TableBytes
{
public:
    explicit TableBytes(const QString &path)
        : bytes(bytesOf(path))
    {
    }

    bool isValid() const { return bytes.size() >= 32; }
    int headerLength() const { return qFromLittleEndian<quint16>(bytes.constData() + 8); }
    int recordLength() const { return qFromLittleEndian<quint16>(bytes.constData() + 10); }
    quint32 recordCount() const { return qFromLittleEndian<quint32>(bytes.constData() + 4); }

    void setRecordCount(quint32 count) { qToLittleEndian(count, bytes.data() + 4); }
    void setHeaderLength(quint16 length) { qToLittleEndian(length, bytes.data() + 8); }
    void setRecordLength(quint16 length) { qToLittleEndian(length, bytes.data() + 10); }

    // Where field `name` starts in a record, and its length; -1 when there is none.
    int fieldOffset(const QByteArray &name, int *length = nullptr) const
    {
        int offset = 1;
        for (int at = 32; at + 32 <= headerLength() && bytes.at(at) != '\r'; at += 32) {
            const int fieldLength = quint8(bytes.at(at + 16));
            if (QByteArray(bytes.constData() + at).left(11).compare(name, Qt::CaseInsensitive) == 0) {
                if (length)
                    *length = fieldLength;
                return offset;
            }
            offset += fieldLength;
        }
        return -1;
    }

    // Field `name` of record `index` (from 0) set to `text`, right-aligned as numbers are.
    void setField(int index, const QByteArray &name, const QByteArray &text)
    {
        int length = 0;
        const int offset = fieldOffset(name, &length);
        const QByteArray padded = QByteArray(qMax(0, length - int(text.size())), ' ') + text.left(length);
        bytes.replace(headerLength() + index * recordLength() + offset, length, padded);
    }

    // The table holds `count` copies of record `index` (the end-of-file mark dropped).
    void repeatRecord(int index, quint32 count)
    {
        const QByteArray record = bytes.mid(headerLength() + index * recordLength(), recordLength());
        bytes.truncate(headerLength());
        bytes.reserve(headerLength() + qsizetype(count) * recordLength());
        for (quint32 i = 0; i < count; ++i)
            bytes += record;
        setRecordCount(count);
    }

    bool write(const QString &path) const { return writeBytes(path, bytes); }

    QByteArray bytes;
};
