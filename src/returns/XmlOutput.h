#pragma once

#include <QString>
#include <QStringView>

#include <cstring>
#include <functional>
#include <memory>

class QIODevice;

// The bytes of an XML document: text is encoded as UTF-8 and escaped straight
// into one buffer, which goes to the device in large batches. Every line ends
// in CR LF.
class XmlOutput
{
public:
    enum class Escape { Text, Attribute };
    static constexpr qsizetype kBatch = 64 * 1024;

    // `name` names the file in a write error (the device's own name otherwise).
    void start(QIODevice *device, const QString &name);

    // Room for `bytes` more bytes at the end of the buffer; advance() takes
    // what was written there.
    char *room(qsizetype bytes) { return m_used + bytes <= m_capacity ? m_buffer.get() + m_used : grow(bytes); }
    void advance(qsizetype bytes) { m_used += bytes; }

    void put(const char *bytes, qsizetype size)
    {
        memcpy(room(size), bytes, size_t(size));
        m_used += size;
    }
    template <qsizetype N> void put(const char (&literal)[N]) { put(literal, N - 1); }
    // `text` escaped for element text ("&", "<", ">") or also for an attribute ('"').
    void putXml(QStringView text, Escape how);
    template <qsizetype N> void raw(const char (&line)[N])
    {
        put(line, N - 1);
        put("\r\n", 2);
    }
    template <qsizetype N> void element(const char (&tag)[N], QStringView value, Escape how = Escape::Text)
    {
        element(tag, N - 1, value, how);
    }
    void element(const char *tag, qsizetype tagLength, QStringView value, Escape how = Escape::Text);
    // <tag>, `text` with every occurrence of `removed` left out (left to right,
    // without overlaps), escaped, </tag>.
    void elementWithout(const char *tag, QStringView text, QStringView removed);

    // Also hands every batch, once the device took it, to `tap` (a validator
    // reading the document as it is written).
    void setTap(std::function<void(const char *, qsizetype)> tap) { m_tap = std::move(tap); }

    // Writes what is gathered once a batch is full.
    bool flushIfFull() { return m_used < kBatch || flush(); }
    bool flush();
    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }

private:
    char *grow(qsizetype bytes);

    QIODevice *m_device = nullptr;
    std::function<void(const char *, qsizetype)> m_tap;
    QString m_name;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
    bool m_failed = false;
    QString m_error;
};
