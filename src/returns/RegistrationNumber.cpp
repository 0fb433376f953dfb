#include "RegistrationNumber.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"

namespace {
// VB-style Mid: 1-based start; a start past the end gives the empty text.
QString mid(const QString &text, qsizetype start, qsizetype length)
{
    if (start > text.size())
        return QString();
    return text.mid(start - 1, length);
}

bool isCapital(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

QString RegistrationMessage(const QString &mode, const QString &wholeNumber, const QString &supplierName)
{
    // The two texts differ only in the blank before "=", as users know them.
    const QString head = mode == QLatin1String("F1") ? QStringLiteral("Invalid Registration Number = ")
                                                     : QStringLiteral("Invalid Registration Number= ");
    return head + wholeNumber + QStringLiteral("\r\nSupplier Name : ") + TrimBlanks(supplierName);
}

bool CheckRegistrationPart(const QString &segment, const QString &mode, const QString &supplierName,
                           const QString &wholeNumber)
{
    const QString part = TrimBlanks(segment);
    bool ok = true;
    if (mode == QLatin1String("F1")) {
        for (QChar c : part)
            if (!isCapital(c)) {
                ok = false;
                break;
            }
    } else if (mode == QLatin1String("F2")) {
        for (QChar c : part)
            if (!isDigit(c)) {
                ok = false;
                break;
            }
    } else if (mode == QLatin1String("F3")) {
        ok = part == QLatin1String("XD") || part == QLatin1String("XM") || part == QLatin1String("EM")
             || part == QLatin1String("ED");
    }
    if (!ok)
        ShowMessage(RegistrationMessage(mode, wholeNumber, supplierName), kAppTitle, 0, 0, true);
    return ok;
}

bool ValidateRegistrationNumber(const QString &number, const QString &supplierName)
{
    const QString f1 = QStringLiteral("F1");
    const QString f2 = QStringLiteral("F2");
    return CheckRegistrationPart(mid(number, 1, 5), f1, supplierName, number)
           && CheckRegistrationPart(mid(number, 6, 4), f2, supplierName, number)
           && CheckRegistrationPart(mid(number, 10, 3), f1, supplierName, number)
           && CheckRegistrationPart(number.right(3), f2, supplierName, number)
           && CheckRegistrationPart(mid(number, 11, 2), QStringLiteral("F3"), supplierName, number);
}

std::optional<QChar> FilterRegistrationKey(QChar typed)
{
    if (isCapital(typed) || isDigit(typed))
        return typed;
    if (typed >= QLatin1Char('a') && typed <= QLatin1Char('z'))
        return QChar(typed.unicode() - 'a' + 'A');
    static const QString accepted = QStringLiteral(" \b.|,-()&/\"");
    if (accepted.contains(typed))
        return typed;
    return std::nullopt;
}

QString RegistrationFileNameProblem(const QString &number)
{
    // Also refuse what Windows cannot hold, so a return written here can be
    // copied anywhere the dealer files it from.
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString what;
    for (QChar c : number) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            what = QStringLiteral("a control character");
            break;
        }
        if (forbidden.contains(c)) {
            what = QStringLiteral("the character %1").arg(c);
            break;
        }
    }
    if (what.isEmpty() && number.contains(QLatin1String("..")))
        what = QStringLiteral("\"..\"");
    if (what.isEmpty())
        return QString();
    QString shown = number;
    for (QChar &c : shown)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    return QStringLiteral("The Registration Number %1 holds %2, which cannot stand in a file name.\r\n"
                          "Please correct the Registration Number.")
        .arg(shown, what);
}
