#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

class Decimal;

// How the values of a work table row are taken, whatever the data mode
// delivered them as: the rules the record reader applies to every column.

// The tariff number of a row as the return carries it, into `out` (whose
// memory is kept from row to row): every blank removed, and for an invoice
// line (STEMP4) every "." as well.
void CleanedTariffNumber(QStringView col05, bool invoiceLine, QString *out);

// A numeric field that holds no number, as the table readers hand it: the
// field's raw text as bytes. Such a value is damaged data in any column.
bool IsDamagedValue(const QVariant &value);
QString DamagedValueText(const QVariant &value);

// A number of any numeric type (not text).
bool IsNumericValue(const QVariant &value);
// A whole number as the table readers hand it (64 or 32 bits).
bool IsIntegerValue(const QVariant &value);
// Integers and finite doubles exactly, without their text; false for anything else.
bool NumberWithoutText(const QVariant &value, Decimal *out);
