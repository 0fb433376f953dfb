#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads one stream out of a compound file (the container of Excel 97-2003
// workbooks). Every sector number, chain and size is checked against the file
// before it is used, so a damaged or crafted file ends in a message, never in a
// read outside the data or an endless loop.
class CompoundFile
{
public:
    // False with error() set when `data` is not a usable compound file.
    bool open(const QByteArray &data);

    // The first stream whose name matches one of `names` (letter case ignored),
    // tried in the order given. False with error() set when there is none or it
    // cannot be read whole.
    bool readStream(const QStringList &names, QByteArray *stream);

    QString error() const { return m_error; }

private:
    struct Entry
    {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    bool fail(const QString &reason);
    bool sectorOffset(quint32 sector, qsizetype *offset) const;
    bool readChain(quint32 start, quint64 size, QByteArray *out);
    bool readMiniChain(quint32 start, quint64 size, QByteArray *out);
    quint32 fatNext(quint32 sector) const;

    QByteArray m_data;
    int m_sectorSize = 512;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    quint32 m_miniCutoff = 4096;
    QList<Entry> m_entries;
    QString m_error;
};
