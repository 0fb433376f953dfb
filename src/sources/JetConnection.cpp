#include "app/DataConnections.h"

// TEMPORARY until the Access reader lands.
bool OpenJetConnection(const QString &, const QString &, QString *error)
{
    *error = QStringLiteral("Access files cannot be read yet");
    return false;
}
