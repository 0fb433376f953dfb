#include "XmlOutput.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>

void XmlOutput::start(QIODevice *device, const QString &name)
{
    m_device = device;
    m_name = name;
    m_used = 0;
    m_failed = false;
    m_error.clear();
    room(kBatch + 4096);
}

char *XmlOutput::grow(qsizetype bytes)
{
    const qsizetype capacity = std::max(m_capacity * 2, m_used + bytes + kBatch);
    std::unique_ptr<char[]> bigger(new char[size_t(capacity)]);
    if (m_used)
        memcpy(bigger.get(), m_buffer.get(), size_t(m_used));
    m_buffer = std::move(bigger);
    m_capacity = capacity;
    return m_buffer.get() + m_used;
}

void XmlOutput::putXml(QStringView text, Escape how)
{
    char *const start = room(text.size() * 6); // "&quot;" is the longest a character can become
    char *out = start;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            switch (c) {
            case '&':
                memcpy(out, "&amp;", 5);
                out += 5;
                break;
            case '<':
                memcpy(out, "&lt;", 4);
                out += 4;
                break;
            case '>':
                memcpy(out, "&gt;", 4);
                out += 4;
                break;
            case '"':
                if (how == Escape::Attribute) {
                    memcpy(out, "&quot;", 6);
                    out += 6;
                    break;
                }
                Q_FALLTHROUGH();
            default:
                *out++ = char(c);
            }
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (!QChar::isSurrogate(c)) {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t u = QChar::surrogateToUcs4(c, p[i + 1]);
            *out++ = char(0xF0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3F));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
            ++i;
        } else {
            // A lone surrogate (the row checks keep them out of a return): whatever Qt's own conversion makes of it.
            const QByteArray bytes = QString(QChar(c)).toUtf8();
            memcpy(out, bytes.constData(), size_t(bytes.size()));
            out += bytes.size();
        }
    }
    m_used += out - start;
}

void XmlOutput::element(const char *tag, qsizetype tagLength, QStringView value, Escape how)
{
    put("<", 1);
    put(tag, tagLength);
    put(">", 1);
    putXml(value, how);
    put("</", 2);
    put(tag, tagLength);
    put(">\r\n", 3);
}

void XmlOutput::elementWithout(const char *tag, QStringView text, QStringView removed)
{
    const qsizetype tagLength = qsizetype(strlen(tag));
    put("<", 1);
    put(tag, tagLength);
    put(">", 1);
    qsizetype from = 0;
    for (qsizetype at = removed.isEmpty() ? -1 : text.indexOf(removed); at >= 0; at = text.indexOf(removed, from)) {
        putXml(text.sliced(from, at - from), Escape::Text);
        from = at + removed.size();
    }
    putXml(text.sliced(from), Escape::Text);
    put("</", 2);
    put(tag, tagLength);
    put(">\r\n", 3);
}

bool XmlOutput::flush()
{
    if (m_failed)
        return false;
    if (m_used == 0)
        return true;
    const qint64 written = m_device->write(m_buffer.get(), m_used);
    if (written != m_used) {
        m_failed = true;
        // The user knows the file by its final name, not by a staging name.
        const QFileDevice *file = qobject_cast<const QFileDevice *>(m_device);
        const QString name = !m_name.isEmpty() ? m_name : file ? file->fileName() : QString();
        m_error = QStringLiteral("Could not write the file %1: %2").arg(name, m_device->errorString());
        return false;
    }
    if (m_tap)
        m_tap(m_buffer.get(), m_used);
    m_used = 0;
    return true;
}
