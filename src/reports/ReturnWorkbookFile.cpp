#include "ReturnWorkbookFile.h"

#include "app/RegularFile.h"

#include <QFile>

#include <cstring>
#include <libxml/parser.h>
#include <memory>
#include <zlib.h>

namespace {
quint32 le32(const uchar *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const uchar *p)
{
    return quint16(p[0] | p[1] << 8);
}

// Checks that the bytes handed to it form one well-formed XML document,
// without building it.
class WellFormed
{
public:
    WellFormed()
    {
        memset(&m_sax, 0, sizeof m_sax);
        m_sax.initialized = XML_SAX2_MAGIC;
        m_sax.serror = [](void *, xmlError *) {}; // counted below, not printed
        m_context = xmlCreatePushParserCtxt(&m_sax, nullptr, nullptr, 0, nullptr);
        if (m_context)
            xmlCtxtUseOptions(m_context, XML_PARSE_NONET);
    }
    ~WellFormed()
    {
        if (m_context)
            xmlFreeParserCtxt(m_context);
    }
    void feed(const char *data, int size)
    {
        if (m_context && size > 0)
            xmlParseChunk(m_context, data, size, 0);
    }
    bool end()
    {
        if (!m_context)
            return false;
        xmlParseChunk(m_context, nullptr, 0, 1);
        return m_context->wellFormed && m_context->errNo == 0;
    }

private:
    xmlSAXHandler m_sax;
    xmlParserCtxtPtr m_context = nullptr;
};

// Inflates (or copies) one member, checking its size and checksum, and its
// XML when it is an XML part.
QString memberProblem(const QString &name, const uchar *data, quint64 available, int method, quint64 packedSize,
                      quint64 size, quint32 crc)
{
    if (packedSize > available)
        return QStringLiteral("%1 is cut short").arg(name);
    const bool xml = name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels"));
    WellFormed parser;
    quint32 sum = crc32(0, nullptr, 0);
    quint64 produced = 0;
    const auto take = [&](const uchar *bytes, uInt n) {
        sum = crc32(sum, bytes, n);
        produced += n;
        if (xml)
            parser.feed(reinterpret_cast<const char *>(bytes), int(n));
    };
    if (method == 0) {
        for (quint64 at = 0; at < packedSize; at += 1 << 20)
            take(data + at, uInt(qMin<quint64>(1 << 20, packedSize - at)));
    } else if (method == Z_DEFLATED) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return QStringLiteral("%1 cannot be inflated").arg(name);
        const std::unique_ptr<uchar[]> out(new uchar[1 << 16]);
        quint64 fed = 0;
        int status = Z_OK;
        while (status == Z_OK) {
            if (z.avail_in == 0 && fed < packedSize) {
                const quint64 step = qMin<quint64>(1 << 20, packedSize - fed);
                z.next_in = const_cast<uchar *>(data + fed);
                z.avail_in = uInt(step);
                fed += step;
            }
            z.next_out = out.get();
            z.avail_out = 1 << 16;
            status = inflate(&z, Z_NO_FLUSH);
            take(out.get(), uInt((1 << 16) - z.avail_out));
            if (status == Z_BUF_ERROR && z.avail_in == 0 && fed == packedSize)
                break;
        }
        inflateEnd(&z);
        if (status != Z_STREAM_END)
            return QStringLiteral("%1 does not inflate").arg(name);
    } else {
        return QStringLiteral("%1 uses an unknown compression").arg(name);
    }
    if (produced != size || sum != crc)
        return QStringLiteral("%1 does not match its size or checksum").arg(name);
    if (xml && !parser.end())
        return QStringLiteral("%1 is not a whole XML part").arg(name);
    return QString();
}
} // namespace

QString WorkbookFileProblem(const QString &path)
{
    QFile file;
    QString error;
    if (!OpenRegularFile(&file, path, &error))
        return error;
    const qint64 length = file.size();
    const uchar *base = length > 0 ? file.map(0, length) : nullptr;
    // Windows maps no file opened from a descriptor, as OpenRegularFile opens it there.
    QByteArray read;
    if (!base && length > 0 && (read = file.readAll()).size() == length)
        base = reinterpret_cast<const uchar *>(read.constData());
    if (!base)
        return QStringLiteral("it is empty or cannot be read");
    const auto size = quint64(length);
    // The end-of-directory record, possibly followed by a comment.
    qint64 end = -1;
    for (qint64 at = length - 22; at >= 0 && at >= length - 22 - 0xFFFF; --at)
        if (le32(base + at) == 0x06054b50) {
            end = at;
            break;
        }
    if (end < 0)
        return QStringLiteral("the zip directory is missing");
    const quint16 count = le16(base + end + 10);
    quint64 at = le32(base + end + 16);
    if (count == 0)
        return QStringLiteral("the zip holds nothing");
    for (int i = 0; i < count; ++i) {
        if (at + 46 > size || le32(base + at) != 0x02014b50)
            return QStringLiteral("the zip directory is damaged");
        const uchar *entry = base + at;
        const int method = le16(entry + 10);
        const quint32 crc = le32(entry + 16);
        const quint64 packed = le32(entry + 20);
        const quint64 unpacked = le32(entry + 24);
        const quint16 nameLength = le16(entry + 28);
        const quint64 local = le32(entry + 42);
        if (at + 46 + nameLength > size)
            return QStringLiteral("the zip directory is damaged");
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(entry + 46), nameLength);
        if (local + 30 > size || le32(base + local) != 0x04034b50)
            return QStringLiteral("%1 is missing").arg(name);
        const quint64 data = local + 30 + le16(base + local + 26) + le16(base + local + 28);
        if (data > size)
            return QStringLiteral("%1 is cut short").arg(name);
        if (const QString problem = memberProblem(name, base + data, size - data, method, packed, unpacked, crc);
            !problem.isEmpty())
            return problem;
        at += 46 + nameLength + le16(entry + 30) + le16(entry + 32);
    }
    return QString();
}
