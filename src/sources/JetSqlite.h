#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct sqlite3;

// The user tables of an Access (Jet 3 or Jet 4) file as read-only virtual
// tables of `db`, one per table and named as in the file. The file is only
// read; a database password does not matter for reading. Each query reads the
// file afresh through libmdb, so nothing of a table is held in memory.
//
// Values: text and memo as text; byte, integer, long integer and yes/no as
// integers (yes/no 1 or 0); single and double as reals; currency and decimal
// as exact decimal text ("12.7500", four decimals for currency, declared
// NUMERIC so SQL arithmetic and comparisons still treat them as numbers);
// date/time as ISO text (see JetDateTimeText); binary and OLE objects as
// blobs. A null value stays null.
//
// The file is only opened when it is a regular file. A scan during which the
// file changes (another identity, size or modification time at its end than
// at its start) fails with "<file> changed while it was being read".
bool AttachJetFile(sqlite3 *db, const QString &mdbFile, QString *error);

// Whether this build reads Access files at all: a build without libmdb says
// "Access files cannot be read by this build of Quorvant." instead.
bool JetFilesReadable();

// The same over a whole file image held in memory. `label` names it in errors.
bool AttachJetImage(sqlite3 *db, const QByteArray &image, const QString &label, QString *error);

// A Jet date/time value (days since 30 December 1899; the fraction, taken
// without its sign, is the time of day) as "YYYY-MM-DD", or
// "YYYY-MM-DD HH:MM:SS" when it has a time of day other than midnight.
// Empty when it is not a number or falls outside the years 100 to 9999.
QString JetDateTimeText(double value);

// A currency value (a count of ten-thousandths) as exact decimal text with
// four decimals: 127500 gives "12.7500", -5 gives "-0.0005".
QString JetCurrencyText(qint64 tenThousandths);
