#include "RegistrationNumber.h"

#include "TextRules.h"
#include "app/AppSettings.h"
#include "app/Folders.h"
#include "app/UserInterface.h"

#include <algorithm>
#include <array>

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

// The five segments in the order they are checked, each with its mode.
struct NumberSegment
{
    QStringView segment;
    QLatin1String mode;
};
std::array<NumberSegment, 5> numberSegments(QStringView n)
{
    return {{{midView(n, 1, 5), QLatin1String("F1")},
             {midView(n, 6, 4), QLatin1String("F2")},
             {midView(n, 10, 3), QLatin1String("F1")},
             {n.right(3), QLatin1String("F2")},
             {midView(n, 11, 2), QLatin1String("F3")}}};
}

template <typename Mode> Segment segmentKind(const Mode &mode)
{
    return mode == QLatin1String("F1")   ? Segment::Letters
           : mode == QLatin1String("F2") ? Segment::Digits
                                         : Segment::Code;
}
} // namespace

bool CheckRegistrationPart(const QString &segment, const QString &mode, const QString &supplierName,
                           const QString &wholeNumber)
{
    const bool known = mode == QLatin1String("F1") || mode == QLatin1String("F2") || mode == QLatin1String("F3");
    if (!known || segmentPasses(segment, segmentKind(mode)))
        return true;
    ShowMessage(RegistrationMessage(mode, wholeNumber, supplierName), kAppTitle, MsgBoxType::Critical, MsgButtons::Ok,
                true);
    return false;
}

std::optional<RegistrationFault> FindRegistrationFault(const QString &number)
{
    const std::array<NumberSegment, 5> segments = numberSegments(number);
    for (int i = 0; i < 5; ++i)
        if (!segmentPasses(segments[i].segment, segmentKind(segments[i].mode)))
            return RegistrationFault{i + 1, segments[i].mode};
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
    for (const NumberSegment &s : numberSegments(number))
        if (!CheckRegistrationPart(s.segment.toString(), s.mode, supplierName, number))
            return false;
    return true;
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
