#include "RegistrationNumber.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/UserInterface.h"

#include <algorithm>

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

bool RegistrationPartPasses(const QString &segment, const QString &mode)
{
    const QString part = TrimBlanks(segment);
    if (mode == QLatin1String("F1"))
        return std::all_of(part.begin(), part.end(), isCapital);
    if (mode == QLatin1String("F2"))
        return std::all_of(part.begin(), part.end(), isDigit);
    if (mode == QLatin1String("F3"))
        return part == QLatin1String("XD") || part == QLatin1String("XM") || part == QLatin1String("EM")
               || part == QLatin1String("ED");
    return true;
}

bool CheckRegistrationPart(const QString &segment, const QString &mode, const QString &supplierName,
                           const QString &wholeNumber)
{
    const bool ok = RegistrationPartPasses(segment, mode);
    if (!ok)
        ShowMessage(RegistrationMessage(mode, wholeNumber, supplierName), kAppTitle, 0, 0, true);
    return ok;
}

std::optional<RegistrationFault> FindRegistrationFault(const QString &number)
{
    const std::pair<QString, QString> segments[] = {
        {mid(number, 1, 5), QStringLiteral("F1")},   {mid(number, 6, 4), QStringLiteral("F2")},
        {mid(number, 10, 3), QStringLiteral("F1")},  {number.right(3), QStringLiteral("F2")},
        {mid(number, 11, 2), QStringLiteral("F3")},
    };
    for (int i = 0; i < 5; ++i)
        if (!RegistrationPartPasses(segments[i].first, segments[i].second))
            return RegistrationFault{i + 1, segments[i].second};
    return std::nullopt;
}

QString RegistrationFaultText(const RegistrationFault &fault)
{
    static const char *const rules[] = {
        "the first five characters must be capital letters",
        "characters 6 to 9 must be digits",
        "characters 10 to 12 must be capital letters",
        "the last three characters must be digits",
        "characters 11 and 12 must be XD, XM, EM or ED",
    };
    const int at = std::clamp(fault.segment, 1, 5) - 1;
    return QStringLiteral("Invalid registration number: ") + QLatin1String(rules[at]);
}

bool ValidateRegistrationNumber(const QString &number, const QString &supplierName)
{
    const std::optional<RegistrationFault> fault = FindRegistrationFault(number);
    if (fault)
        ShowMessage(RegistrationMessage(fault->mode, number, supplierName), kAppTitle, 0, 0, true);
    return !fault;
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
