#pragma once

// The ODBC API, its narrow-text calls by their plain names on every system
// (Windows would map them to the wide ones). Windows' ODBC headers expect its
// base types declared first.
#define SQL_NOUNICODEMAP
#ifdef _WIN32
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
