#include "SqlServerDriver.h"

QString SqlServerDriverConnectionText(const QString &server, const QString &catalog)
{
    return QStringLiteral("Driver=FreeTDS;Server=%1;Database=%2;UID=sa;PWD=;TDS_Version=auto").arg(server, catalog);
}
