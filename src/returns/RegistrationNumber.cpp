#include "RegistrationNumber.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/Folders.h"
#include "app/UserInterface.h"

#include <algorithm>

namespace {
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

namespace {
enum class Segment { Letters, Digits, Code };

// The segment rule alone, without a message; no allocation, as the writer
// checks every supplier document's number.
bool segmentPasses(QStringView segment, Segment kind)
{
    segment = TrimBlanksView(segment);
    switch (kind) {
    case Segment::Letters:
        return std::all_of(segment.begin(), segment.end(), isCapital);
    case Segment::Digits:
        return std::all_of(segment.begin(), segment.end(), isDigit);
    case Segment::Code:
        return segment == QLatin1String("XD") || segment == QLatin1String("XM") || segment == QLatin1String("EM")
               || segment == QLatin1String("ED");
    }
    return false;
}

// VB-style Mid over a view: 1-based start; a start past the end gives nothing.
QStringView midView(QStringView text, qsizetype start, qsizetype length)
{
    if (start > text.size())
        return QStringView();
    return text.sliced(start - 1, std::min(length, text.size() - (start - 1)));
}
} // namespace

bool CheckRegistrationPart(const QString &segment, const QString &mode, const QString &supplierName,
                           const QString &wholeNumber)
{
    bool ok = true;
    if (mode == QLatin1String("F1"))
        ok = segmentPasses(segment, Segment::Letters);
    else if (mode == QLatin1String("F2"))
        ok = segmentPasses(segment, Segment::Digits);
    else if (mode == QLatin1String("F3"))
        ok = segmentPasses(segment, Segment::Code);
    if (!ok)
        ShowMessage(RegistrationMessage(mode, wholeNumber, supplierName), kAppTitle, MsgBoxType::Critical,
                    MsgButtons::Ok, true);
    return ok;
}

std::optional<RegistrationFault> FindRegistrationFault(const QString &number)
{
    const QStringView n(number);
    const struct
    {
        QStringView segment;
        Segment kind;
        QLatin1String mode;
    } checks[] = {
        {midView(n, 1, 5), Segment::Letters, QLatin1String("F1")},
        {midView(n, 6, 4), Segment::Digits, QLatin1String("F2")},
        {midView(n, 10, 3), Segment::Letters, QLatin1String("F1")},
        {n.right(3), Segment::Digits, QLatin1String("F2")},
        {midView(n, 11, 2), Segment::Code, QLatin1String("F3")},
    };
    for (int i = 0; i < 5; ++i)
        if (!segmentPasses(checks[i].segment, checks[i].kind))
            return RegistrationFault{i + 1, checks[i].mode};
    return std::nullopt;
}

QString RegistrationFaultText(const RegistrationFault &fault)
{
    static const char *const rules[] = {
        "the first five characters must be capital letters", "characters 6 to 9 must be digits",
        "characters 10 to 12 must be capital letters",       "the last three characters must be digits",
        "characters 11 and 12 must be XD, XM, EM or ED",
    };
    const int at = std::clamp(fault.segment, 1, 5) - 1;
    return QStringLiteral("Invalid registration number: ") + QLatin1String(rules[at]);
}

bool ValidateRegistrationNumber(const QString &number, const QString &supplierName)
{
    const std::optional<RegistrationFault> fault = FindRegistrationFault(number);
    if (fault)
        ShowMessage(RegistrationMessage(fault->mode, number, supplierName), kAppTitle, MsgBoxType::Critical,
                    MsgButtons::Ok, true);
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
    // Also refuses what Windows cannot hold, so a return written here can be
    // copied anywhere the dealer files it from.
    const QString what = NameCharacterProblem(number);
    if (what.isEmpty())
        return QString();
    return QStringLiteral("The Registration Number %1 holds %2, which cannot stand in a file name.\r\n"
                          "Please correct the Registration Number.")
        .arg(PrintableName(number), what);
}
