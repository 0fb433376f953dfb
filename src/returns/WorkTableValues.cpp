#include "WorkTableValues.h"

#include "Decimal.h"
#include "TextRules.h"

bool IsNumericValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return !value.isNull();
    default:
        return false;
    }
}

bool IsIntegerValue(const QVariant &value)
{
    return (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) && !value.isNull();
}

bool NumberWithoutText(const QVariant &value, Decimal *out)
{
    if (IsIntegerValue(value)) {
        *out = Decimal::fromInteger(value.toLongLong());
        return true;
    }
    return value.typeId() == QMetaType::Double && !value.isNull() && Decimal::fromDouble(value.toDouble(), out);
}

bool IsDamagedValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QByteArray && !value.isNull();
}

QString DamagedValueText(const QVariant &value)
{
    return TrimBlanks(QString::fromLatin1(value.toByteArray()));
}

void CleanedTariffNumber(QStringView col05, bool invoiceLine, QString *out)
{
    out->truncate(0);
    for (QChar c : col05)
        if (c != QLatin1Char(' ') && !(invoiceLine && c == QLatin1Char('.')))
            out->append(c);
}
