#include "RememberedEntries.h"

#include "AppSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSettings>

namespace {
const QString kGroup = QStringLiteral("remembered");

// One group per application folder: two folders may hold companies of the same code.
QString folderGroup()
{
    const QByteArray folder = QDir::cleanPath(AppFolder()).toUtf8();
    return kGroup + QStringLiteral("/folder-")
           + QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
}

// Company codes may hold characters QSettings takes for separators: the key spells the code in hex.
QString companyKey(const QString &companyCode)
{
    return folderGroup() + QStringLiteral("/company-") + QString::fromLatin1(companyCode.toUtf8().toHex());
}

QString read(const QString &key)
{
    return UserSettings().value(key).toString();
}
} // namespace

QString RememberedUserId()
{
    return read(kGroup + QStringLiteral("/userId"));
}

void RememberUserId(const QString &userId)
{
    UserSettings().setValue(kGroup + QStringLiteral("/userId"), userId);
}

RememberedChoice RememberedCompanyChoice()
{
    return {read(folderGroup() + QStringLiteral("/company")), read(folderGroup() + QStringLiteral("/period"))};
}

void RememberCompanyChoice(const RememberedChoice &choice)
{
    QSettings s = UserSettings();
    s.setValue(folderGroup() + QStringLiteral("/company"), choice.companyCode);
    s.setValue(folderGroup() + QStringLiteral("/period"), choice.periodCode);
}

RememberedReturnEntries RememberedReturnFields(const QString &companyCode)
{
    const QString key = companyKey(companyCode);
    return {read(key + QStringLiteral("/registrationNumber")), read(key + QStringLiteral("/place")),
            read(key + QStringLiteral("/remarks"))};
}

void RememberReturnFields(const QString &companyCode, const RememberedReturnEntries &entries)
{
    QSettings s = UserSettings();
    const QString key = companyKey(companyCode);
    s.setValue(key + QStringLiteral("/registrationNumber"), entries.registrationNumber);
    s.setValue(key + QStringLiteral("/place"), entries.place);
    s.setValue(key + QStringLiteral("/remarks"), entries.remarks);
}

void ForgetRememberedEntries()
{
    UserSettings().remove(kGroup);
}
