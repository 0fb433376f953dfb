#include "CompoundFile.h"

#include <QtEndian>

namespace {
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kLastRegularSector = 0xFFFFFFFA;
constexpr int kMiniSectorSize = 64;
constexpr int kEntrySize = 128;
constexpr quint64 kWholeChain = ~quint64(0);

quint16 u16(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 u32(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

// Follows a chain of fixed-size blocks through `next`, appending each block's
// bytes, until the end marker or `size` bytes. A chain may never be longer than
// the blocks there are: that bound ends a loop in a crafted table.
template <typename BlockAt, typename Next>
QString followChain(quint32 start, quint64 size, qsizetype blockSize, qsizetype blocks, BlockAt blockAt, Next next,
                    QByteArray *out)
{
    out->clear();
    qsizetype steps = 0;
    for (quint32 block = start; block != kEndOfChain && (size == kWholeChain || quint64(out->size()) < size);
         block = next(block)) {
        if (block > kLastRegularSector || qsizetype(block) >= blocks)
            return QStringLiteral("a chain of sectors points outside the file");
        if (++steps > blocks)
            return QStringLiteral("a chain of sectors runs in a circle");
        out->append(blockAt(block), blockSize);
    }
    if (size != kWholeChain) {
        if (quint64(out->size()) < size)
            return QStringLiteral("a stream is cut short");
        out->truncate(qsizetype(size));
    }
    return QString();
}
} // namespace

bool CompoundFile::fail(const QString &reason)
{
    m_error = QStringLiteral("the file is corrupt (%1)").arg(reason);
    return false;
}

bool CompoundFile::open(const QByteArray &data)
{
    static const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    m_fat.clear();
    m_miniFat.clear();
    m_miniStream.clear();
    m_entries.clear();
    m_error.clear();
    if (data.size() < 512 || !data.startsWith(QByteArray::fromRawData(kSignature, 8))) {
        m_error = QStringLiteral("the file is not an Excel 97-2003 workbook");
        return false;
    }
    const quint16 sectorShift = u16(data, 0x1E);
    if ((sectorShift != 9 && sectorShift != 12) || u16(data, 0x20) != 6)
        return fail(QStringLiteral("unknown sector size"));
    m_sectorSize = 1 << sectorShift;
    m_miniCutoff = u32(data, 0x38);

    // Sector n starts at (n + 1) * sector size. A short last sector reads as zeros.
    m_data = data;
    if (const qsizetype rest = m_data.size() % m_sectorSize)
        m_data.append(QByteArray(m_sectorSize - rest, '\0'));
    const qsizetype sectors = m_data.size() / m_sectorSize - 1;
    const qsizetype perSector = m_sectorSize / 4;

    // The sectors of the allocation table: 109 in the header, the rest in a
    // chain of index sectors whose last word names the next one.
    QList<quint32> fatSectors;
    for (int i = 0; i < 109; ++i)
        fatSectors << u32(m_data, 0x4C + 4 * i);
    quint32 indexSector = u32(m_data, 0x44);
    for (qsizetype steps = 0; indexSector != kEndOfChain && indexSector != kFreeSector; ++steps) {
        qsizetype at = 0;
        if (steps >= sectors || !sectorOffset(indexSector, &at))
            return fail(QStringLiteral("the allocation index points outside the file"));
        for (qsizetype i = 0; i + 1 < perSector; ++i)
            fatSectors << u32(m_data, at + 4 * i);
        indexSector = u32(m_data, at + 4 * (perSector - 1));
    }
    // The header says how many there are; unused slots may hold anything.
    const quint32 fatCount = u32(m_data, 0x2C);
    if (fatSectors.size() > qsizetype(fatCount))
        fatSectors.resize(fatCount);
    for (quint32 sector : fatSectors) {
        if (sector == kFreeSector)
            continue;
        qsizetype at = 0;
        if (!sectorOffset(sector, &at))
            return fail(QStringLiteral("the allocation table points outside the file"));
        for (qsizetype i = 0; i < perSector && m_fat.size() < sectors; ++i)
            m_fat << u32(m_data, at + 4 * i);
    }
    if (m_fat.isEmpty())
        return fail(QStringLiteral("no allocation table"));

    QByteArray directory;
    if (!readChain(u32(m_data, 0x30), kWholeChain, &directory))
        return false;
    for (qsizetype at = 0; at + kEntrySize <= directory.size(); at += kEntrySize) {
        Entry entry;
        const int nameBytes = qMin<int>(u16(directory, at + 0x40), 64);
        entry.name = QString::fromUtf16(reinterpret_cast<const char16_t *>(directory.constData() + at),
                                        qMax(0, nameBytes / 2 - 1));
        entry.type = quint8(directory.at(at + 0x42));
        entry.start = u32(directory, at + 0x74);
        // Files with 512-byte sectors keep only the low word of the size.
        entry.size = m_sectorSize == 512 ? u32(directory, at + 0x78)
                                         : qFromLittleEndian<quint64>(directory.constData() + at + 0x78);
        m_entries << entry;
    }
    if (m_entries.isEmpty() || m_entries.first().type != 5)
        return fail(QStringLiteral("no root entry"));
    return true;
}

bool CompoundFile::sectorOffset(quint32 sector, qsizetype *offset) const
{
    if (sector > kLastRegularSector || qsizetype(sector) >= m_data.size() / m_sectorSize - 1)
        return false;
    *offset = (qsizetype(sector) + 1) * m_sectorSize;
    return true;
}

quint32 CompoundFile::fatNext(quint32 sector) const
{
    return qsizetype(sector) < m_fat.size() ? m_fat.at(sector) : kFreeSector;
}

bool CompoundFile::readChain(quint32 start, quint64 size, QByteArray *out)
{
    if (size != kWholeChain && size > quint64(m_data.size()))
        return fail(QStringLiteral("a stream is larger than the file"));
    const QString problem = followChain(
        start, size, m_sectorSize, qMin<qsizetype>(m_data.size() / m_sectorSize - 1, m_fat.size()),
        [&](quint32 s) { return m_data.constData() + (qsizetype(s) + 1) * m_sectorSize; },
        [&](quint32 s) { return fatNext(s); }, out);
    return problem.isEmpty() || fail(problem);
}

bool CompoundFile::readMiniChain(quint32 start, quint64 size, QByteArray *out)
{
    if (m_miniStream.isEmpty()) {
        const Entry &root = m_entries.first();
        QByteArray miniFat;
        if (!readChain(u32(m_data, 0x3C), kWholeChain, &miniFat) || !readChain(root.start, root.size, &m_miniStream))
            return false;
        for (qsizetype at = 0; at + 4 <= miniFat.size(); at += 4)
            m_miniFat << u32(miniFat, at);
        if (const qsizetype rest = m_miniStream.size() % kMiniSectorSize)
            m_miniStream.append(QByteArray(kMiniSectorSize - rest, '\0'));
    }
    if (size > quint64(m_miniStream.size()))
        return fail(QStringLiteral("a stream is larger than the file"));
    const QString problem = followChain(
        start, size, kMiniSectorSize, qMin<qsizetype>(m_miniStream.size() / kMiniSectorSize, m_miniFat.size()),
        [&](quint32 s) { return m_miniStream.constData() + qsizetype(s) * kMiniSectorSize; },
        [&](quint32 s) { return m_miniFat.at(s); }, out);
    return problem.isEmpty() || fail(problem);
}

bool CompoundFile::readStream(const QStringList &names, QByteArray *stream)
{
    stream->clear();
    for (const QString &name : names) {
        for (const Entry &entry : std::as_const(m_entries)) {
            if (entry.type != 2 || entry.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            return entry.size < m_miniCutoff ? readMiniChain(entry.start, entry.size, stream)
                                             : readChain(entry.start, entry.size, stream);
        }
    }
    m_error = QStringLiteral("the file does not contain a valid Workbook stream");
    return false;
}
