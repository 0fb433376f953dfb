#include "app/DataConnections.h"

// TEMPORARY until the table reader lands.
bool OpenFoxProConnection(const QString &, const QString &, QString *error)
{
    *error = QStringLiteral("FoxPro tables cannot be read yet");
    return false;
}
