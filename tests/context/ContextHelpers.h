#pragma once

#include "TestHelpers.h"

#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/Startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

// Copies a folder tree over another, replacing files of the same name.
inline bool overlayTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &e : entries) {
        const QString target = QDir(to).filePath(e.fileName());
        if (e.isDir()) {
            if (!overlayTree(e.filePath(), target))
                return false;
            continue;
        }
        QFile::remove(target);
        if (!QFile::copy(e.filePath(), target))
            return false;
    }
    return true;
}

// The demo application folder, with the company fixtures (codes 7, 8 and 9)
// laid over it when asked, and start-up's connections open on it.
inline bool startOnDemo(const TestHome &home, bool withFixtures, QString *error)
{
    if (!copyDemoInto(home)) {
        *error = QStringLiteral("cannot copy the demo folder");
        return false;
    }
    if (withFixtures && !overlayTree(fixturePath(QStringLiteral("context")), home.app())) {
        *error = QStringLiteral("cannot lay the fixtures over the demo folder");
        return false;
    }
    StoreShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    StartupFailure failure;
    if (!OpenStartupConnections(&failure)) {
        *error = failure.description;
        return false;
    }
    return true;
}

inline void closeAllConnections()
{
    for (const QString &name : QSqlDatabase::connectionNames())
        CloseConnection(name);
}
