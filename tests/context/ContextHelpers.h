#pragma once

#include "TestHelpers.h"

#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>

// Copies a folder tree over another, replacing files of the same name.
inline bool overlayTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString target = to + it.next().mid(from.size());
        QFile::remove(target);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(it.filePath(), target))
            return false;
    }
    return true;
}

// The demo application folder, with the company fixtures (codes 7, 8 and 9)
// laid over it when asked, and start-up's connections open on it.
inline bool startOnDemo(const TestHome &home, bool withFixtures, QString *error)
{
    if (!copyDemoInto(home) || (withFixtures && !overlayTree(fixturePath(QStringLiteral("context")), home.app()))) {
        *error = QStringLiteral("cannot copy the demo folder and its fixtures");
        return false;
    }
    StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    StartupFailure failure;
    if (OpenStartupConnections(&failure))
        return true;
    *error = failure.description;
    return false;
}

inline void closeAllConnections()
{
    for (const QString &name : QSqlDatabase::connectionNames())
        CloseConnection(name);
}
