#include "TextRules.h"

QStringView TrimBlanksView(QStringView text)
{
    while (!text.isEmpty() && text.front() == QLatin1Char(' '))
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

QString TrimBlanks(const QString &text)
{
    const QStringView trimmed = TrimBlanksView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

void RemoveBlanks(QStringView text, QString *out)
{
    out->truncate(0);
    for (QChar c : text)
        if (c != QLatin1Char(' '))
            out->append(c);
}

QString PrintableText(const QString &text)
{
    QString out = text;
    for (qsizetype i = FindCharacterNotInXml(out); i >= 0; i = FindCharacterNotInXml(out))
        out[i] = QLatin1Char('?');
    return out;
}

QString CharacterCodeText(char16_t code)
{
    return QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
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
