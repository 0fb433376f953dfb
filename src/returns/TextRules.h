#pragma once

#include <QString>

// Small text rules shared by the registration check and the return writer.

// Leading and trailing blanks (space characters only) removed; tabs and line
// ends stay, as they are part of the value.
QString TrimBlanks(const QString &text);
// The same without a copy.
QStringView TrimBlanksView(QStringView text);

// Every blank (space character) removed, into `out`, whose memory is kept from row to row.
void RemoveBlanks(QStringView text, QString *out);

// The first character XML 1.0 cannot carry (a control character other than
// tab, CR and LF, a lone surrogate, U+FFFE or U+FFFF), or -1 when there is none.
qsizetype FindCharacterNotInXml(const QString &text);

// `text` with every character XML cannot carry shown as "?", for messages.
QString PrintableText(const QString &text);

// A character's code as four hexadecimal digits in capitals ("001B"), for messages.
QString CharacterCodeText(char16_t code);
