#pragma once

#include "FileIdentity.h"

#include <QFile>
#include <QString>

#include <string>

// The memo file beside a table: FoxPro's .fpt, or dBase's .dbt (dBase III:
// 512-byte blocks, text up to a 0x1A; dBase IV: blocks of the size its header
// gives, each with a mark and a length). Every read is bounded by the file's
// size: a block or a length that points outside it is damage, reported with
// the memo file's name and the record's number.
class DbfMemo
{
public:
    enum Format { FoxPro, DBaseIII, DBaseIV };

    // Finds the memo file of the table at `tablePath` (its name, the letter
    // case of the extension aside) and opens it.
    bool open(const QString &tablePath, Format format, QString *error);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    // As the file was when it was opened.
    FileIdentity identity() const { return m_identity; }

    // The bytes of the memo that a record's memo field (`field`, `length`
    // bytes: ten ASCII digits, or four bytes in Visual FoxPro) points to;
    // empty for a field that points nowhere.
    bool read(const char *field, int length, quint32 record, std::string *out, QString *error);

private:
    bool damaged(QString *error, const QString &why) const;
    bool readAt(qint64 offset, char *data, qint64 length, QString *error);

    QFile m_file;
    QString m_path;
    Format m_format = FoxPro;
    qint64 m_blockSize = 512;
    qint64 m_size = 0;
    FileIdentity m_identity;
};
