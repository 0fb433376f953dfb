#pragma once

#include "DbfMemo.h"
#include "FileIdentity.h"

#include <QFile>
#include <QString>
#include <QVariant>

#include <string>
#include <vector>

// A dBase III, FoxPro 2.x or Visual FoxPro table, read sequentially in blocks.
// The header is checked against the file's size before any record is read, so
// a lying or truncated file gives an error, never a wild read. Memo fields are
// read from the memo file beside the table, which must then be there.

struct DbfField
{
    QString name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0; // from the start of the record (byte 0 is the deletion flag)
    int nullBit = -1; // Visual FoxPro: bit in _NullFlags that marks a null value
};

struct DbfValue
{
    // BadNumber: a numeric field whose text is no decimal number (an overflow
    // mark, "0x1A", "inf"); `text` then holds that text as stored, trimmed.
    enum Kind { Null, Integer, Real, Text, BadNumber };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    std::string text; // UTF-8
};

class DbfTable
{
public:
    // With `memos` false the memo file is not looked for: enough to learn
    // the fields, not to read the records.
    bool open(const QString &path, QString *error, bool memos = true);
    void close();

    QString path() const { return m_path; }
    const std::vector<DbfField> &fields() const { return m_fields; }
    quint32 recordCount() const { return m_recordCount; }
    int codePage() const { return m_codePage; }

    // Back to before the first record, for a scan. False (with error()) when
    // the file changed since it was opened.
    bool rewind();
    // The next record that is not deleted; false at the end or on a read error.
    // At the end the file is checked once more: when it changed during the
    // scan, failed() says so.
    bool next();
    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }
    // Number of the current record, from 1.
    quint32 recordNumber() const { return m_current; }

    // Field `index` of the current record. False when a memo cannot be read;
    // error() then says why.
    bool value(int index, DbfValue &out) const;
    // As above; a BadNumber comes as a QByteArray.
    QVariant variant(int index) const;

private:
    bool fail(QString *error, const QString &why);
    void reset();
    // The file (and memo file) is the one opened, as it was then.
    bool unchanged() const;
    QString changedMessage() const;
    bool damaged(QString *error, const QString &why);
    // The steps of open(): the fixed header (its version byte to *version),
    // the field list, and the record count against the file's size.
    bool readHeader(qint64 size, unsigned char *version, QString *error);
    bool readFields(unsigned char version, QString *error);
    bool recordsFit(qint64 size, QString *error);
    bool isNull(const DbfField &field) const;

    QString m_path;
    QFile m_file;
    std::vector<DbfField> m_fields;
    int m_nullFlagsOffset = -1;
    int m_nullFlagsLength = 0;
    quint32 m_recordCount = 0;
    quint32 m_headerLength = 0;
    quint32 m_recordLength = 0;
    int m_codePage = 1252;
    const char16_t *m_highHalf = nullptr;
    FileIdentity m_identity; // when opened, before its header was read

    std::vector<char> m_buffer;
    quint32 m_bufferFirst = 0; // record number (0-based) of the buffer's first record
    quint32 m_bufferCount = 0;
    quint32 m_current = 0; // 1-based; 0 before the first
    const char *m_record = nullptr;
    mutable QString m_error;
    mutable DbfMemo m_memo; // open when the table has memo fields
    mutable std::string m_memoBytes; // the last memo read, as stored
};
