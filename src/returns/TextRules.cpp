#include "TextRules.h"

QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

QString RemoveBlanks(const QString &text)
{
    if (!text.contains(QLatin1Char(' ')))
        return text;
    QString out = text;
    out.remove(QLatin1Char(' '));
    return out;
}

void RemoveBlanks(QStringView text, QString *out)
{
    out->truncate(0);
    for (QChar c : text)
        if (c != QLatin1Char(' '))
            out->append(c);
}

qsizetype TrimmedLength(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return end - begin;
}

qsizetype FindCharacterNotInXml(const QString &text)
{
    const qsizetype n = text.size();
    const QChar *p = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c >= 0x20 && c < 0xD800)
            continue;
        if (c == 0x9 || c == 0xA || c == 0xD)
            continue;
        if (c < 0x20)
            return i;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode())) {
                ++i;
                continue;
            }
            return i;
        }
        if (QChar::isLowSurrogate(c))
            return i;
        if (c == 0xFFFE || c == 0xFFFF)
            return i;
    }
    return -1;
}
