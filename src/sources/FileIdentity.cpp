#include "FileIdentity.h"

bool FileUnchanged(const FileIdentity &opened, const QString &path)
{
    return opened.isValid() && IdentityOfPath(path) == opened;
}

QString ChangedWhileReadMessage(const QString &name)
{
    return QStringLiteral("%1 changed while it was being read; run again once the accounting system has finished "
                          "writing it")
        .arg(name);
}
