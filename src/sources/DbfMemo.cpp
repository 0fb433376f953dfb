#include "DbfMemo.h"

#include "PositionalRead.h"
#include "app/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
constexpr qint64 kHeaderBytes = 512; // every memo file's header takes (at least) this much

quint32 be32(const unsigned char *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

quint32 le32(const unsigned char *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

// The memo file beside `tablePath` with extension `extension`: the name with
// the extension in the letter case of the table's first, then any name that
// differs from it only in letter case. Empty when there is none; `wanted`
// then holds the name looked for.
QString findBeside(const QString &tablePath, const QString &extension, QString *wanted)
{
    const QFileInfo table(tablePath);
    const QString suffix = table.suffix();
    const bool upper = suffix == suffix.toUpper() && suffix != suffix.toLower();
    *wanted = table.completeBaseName() + QLatin1Char('.') + (upper ? extension.toUpper() : extension.toLower());
    const QDir dir = table.absoluteDir();
    const QFileInfo exact(dir.filePath(*wanted));
    if (exact.exists() || exact.isSymLink())
        return exact.filePath();
    // FIFOs and devices are system files: found, so that opening them can refuse them.
    const QStringList names = dir.entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names) {
        if (name.compare(*wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    return QString();
}
} // namespace

bool DbfMemo::damaged(QString *error, const QString &why) const
{
    *error = QStringLiteral("%1 is damaged: %2").arg(QFileInfo(m_path).fileName(), why);
    return false;
}

bool DbfMemo::open(const QString &tablePath, Format format, QString *error)
{
    close();
    m_format = format;
    QString wanted;
    m_path = findBeside(tablePath, format == FoxPro ? QStringLiteral("fpt") : QStringLiteral("dbt"), &wanted);
    if (m_path.isEmpty()) {
        *error = QStringLiteral("%1, the memo file of %2, is missing").arg(wanted, QFileInfo(tablePath).fileName());
        return false;
    }
    if (!OpenRegularFile(&m_file, m_path, error))
        return false;
    m_identity = IdentityOfOpenFile(m_file.handle());
    m_size = m_identity.size;
    unsigned char head[kHeaderBytes];
    if (m_size < kHeaderBytes) {
        const qint64 size = m_size;
        close();
        return damaged(error, QStringLiteral("the file is %1 bytes long, shorter than a memo file's header").arg(size));
    }
    if (!readAt(0, reinterpret_cast<char *>(head), kHeaderBytes, error)) {
        close();
        return false;
    }
    switch (format) {
    case FoxPro:
        m_blockSize = (qint64(head[6]) << 8) | head[7];
        break;
    case DBaseIV:
        m_blockSize = qint64(head[20]) | (qint64(head[21]) << 8);
        break;
    case DBaseIII:
        m_blockSize = 512;
        break;
    }
    if (m_blockSize == 0) {
        close();
        return damaged(error, QStringLiteral("its header gives blocks of 0 bytes"));
    }
    return true;
}

void DbfMemo::close()
{
    m_file.close();
    m_identity = FileIdentity();
    m_size = 0;
}

bool DbfMemo::readAt(qint64 offset, char *data, qint64 length, QString *error)
{
    while (length > 0) {
        const qint64 got = ReadAt(m_file.handle(), data, length, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            *error =
                got < 0
                    ? QStringLiteral("%1 cannot be read: %2").arg(QFileInfo(m_path).fileName(), SystemErrorText(errno))
                    : QStringLiteral("%1 is damaged: it ends before its size").arg(QFileInfo(m_path).fileName());
            return false;
        }
        offset += got;
        data += got;
        length -= got;
    }
    return true;
}

bool DbfMemo::read(const char *field, int length, quint32 record, std::string *out, QString *error)
{
    out->clear();
    quint64 block = 0;
    if (length == 4) {
        block = le32(reinterpret_cast<const unsigned char *>(field));
    } else {
        for (int i = 0; i < length; ++i) {
            const char c = field[i];
            if (c >= '0' && c <= '9')
                block = block * 10 + quint64(c - '0');
            else if (c != ' ' && c != '\0')
                return damaged(error, QStringLiteral("the memo field of record %1 holds no block number").arg(record));
            if (block > quint64(m_size))
                break; // past the end already; said below
        }
    }
    if (block == 0)
        return true; // no memo
    if (block > quint64(m_size) / quint64(m_blockSize))
        return damaged(error, QStringLiteral("the memo of record %1 points past the end of the file").arg(record));
    const qint64 offset = qint64(block) * m_blockSize;
    if (offset >= m_size)
        return damaged(error, QStringLiteral("the memo of record %1 points past the end of the file").arg(record));
    if (offset < kHeaderBytes)
        return damaged(error, QStringLiteral("the memo of record %1 points into the file's header").arg(record));

    if (m_format == DBaseIII) {
        // The text runs to a 0x1A, block after block.
        char chunk[512];
        for (qint64 at = offset; at < m_size;) {
            const qint64 n = std::min<qint64>(sizeof chunk, m_size - at);
            if (!readAt(at, chunk, n, error))
                return false;
            const void *end = memchr(chunk, 0x1A, size_t(n));
            if (end) {
                out->append(chunk, size_t(static_cast<const char *>(end) - chunk));
                return true;
            }
            out->append(chunk, size_t(n));
            at += n;
        }
        out->clear();
        return damaged(error, QStringLiteral("the memo of record %1 has no end mark").arg(record));
    }

    unsigned char head[8];
    if (offset + 8 > m_size)
        return damaged(error, QStringLiteral("the memo of record %1 points past the end of the file").arg(record));
    if (!readAt(offset, reinterpret_cast<char *>(head), 8, error))
        return false;
    qint64 start = offset + 8;
    qint64 bytes = 0;
    if (m_format == FoxPro) {
        bytes = be32(head + 4);
    } else { // dBase IV: a mark, then the length with the mark's eight bytes
        if (head[0] != 0xFF || head[1] != 0xFF || head[2] != 0x08 || head[3] != 0x00)
            return damaged(error,
                           QStringLiteral("the memo of record %1 does not start with a memo block's mark").arg(record));
        bytes = qint64(le32(head + 4)) - 8;
        if (bytes < 0)
            return damaged(error, QStringLiteral("the memo of record %1 is shorter than its own header").arg(record));
    }
    if (bytes > m_size - start)
        return damaged(error, QStringLiteral("the memo of record %1 runs past the end of the file").arg(record));
    out->resize(size_t(bytes));
    if (!readAt(start, out->data(), bytes, error)) {
        out->clear();
        return false;
    }
    return true;
}
