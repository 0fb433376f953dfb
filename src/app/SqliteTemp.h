#pragma once

#include <QString>

// The folder where SQLite keeps its temporary files (the spill of a large
// sort) on this platform, found the way SQLite itself finds it.
QString SqliteTemporaryFolder();
