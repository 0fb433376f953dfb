#pragma once

#include <QChar>
#include <QString>

#include <optional>

// The excise registration number check: five segments, each checked in turn,
// the first failing one shown with ShowMessage. The overall length is not checked.
bool ValidateRegistrationNumber(const QString &number, const QString &supplierName);

// The first failing segment of a number, found without showing anything:
// `segment` counts the five segments from 1, `mode` is the segment's mode.
struct RegistrationFault
{
    int segment = 0;
    QLatin1String mode;
};
std::optional<RegistrationFault> FindRegistrationFault(const QString &number);

// What a fault means, in words, for lists of problems.
QString RegistrationFaultText(const RegistrationFault &fault);

// One segment. Mode "F1": capital letters only; "F2": digits only; "F3": one of
// the registration codes XD, XM, EM, ED. The segment is trimmed of blanks first;
// an empty segment passes F1 and F2 and fails F3.
bool CheckRegistrationPart(const QString &segment, const QString &mode, const QString &supplierName,
                           const QString &wholeNumber);

// The message a failing segment shows (pure; the check above shows it).
QString RegistrationMessage(const QString &mode, const QString &wholeNumber, const QString &supplierName);

// The key filter of the registration number box: the character to insert, or
// nothing when the key is dropped. Small letters become capitals.
std::optional<QChar> FilterRegistrationKey(QChar typed);

// Why a registration number cannot name the return file (it would leave the
// company's folder, or a file system cannot hold it); empty when it can.
QString RegistrationFileNameProblem(const QString &number);
