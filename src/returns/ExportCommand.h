#pragma once

#include "ReturnDocument.h"

#include <QDateTime>
#include <QString>

#include <functional>

// Which field of the return window should take the focus after a failed export.
enum class ExportFocus { None, RegisterNo, Place, Remarks };

struct ExportResult
{
    bool success = false; // a valid return is on disk and the user was told so
    bool cancelled = false; // the user stopped it: nothing under the return's name changed
    ExportFocus focus = ExportFocus::None;
    QString outputPath; // built first, shown in the window even when a check stops the export
};

// "yyyymmddhhmm" on the 12-hour clock followed by "AM" or "PM":
// 15:05 on 11 July 2014 gives "201407110305PM", 00:30 gives "...1230AM".
QString ExportTimeStamp(const QDateTime &when);

// <application folder>/ACES/<company code>/<number>_<stamp>.xml
QString ReturnOutputPath(const QString &registrationNumber, const QDateTime &when);

// Where a written file that is no valid return is kept: "<output path>.rejected".
QString RejectedReturnPath(const QString &outputPath);

// The schema the return is checked against: ACES_DLR.xsd in the application
// folder, otherwise the one installed in share/quorvant beside the program's
// bin folder; when neither exists, the application folder's (missing) one.
QString ReturnSchemaPath();

// What the export says when the user stopped it.
extern const QString kExportCancelled;

// What the export does when something looks wrong but need not stop it: rows
// dated outside the chosen quarter, a return of the same name already there.
enum class ExportDoubts {
    Ignore, // not looked for: the rows are written, a file of the same name replaced
    Ask, // the window asks (Yes/No, No the default); No stops the export
    Warn, // the command line says so through `warn` and goes on
};

// The export command: output path, the three required fields, the dealer's
// registration number, the work tables, then write and validate under the
// please-wait indicator. Only a complete, valid return replaces a file at the
// output path; anything else written is kept as RejectedReturnPath. Every
// message goes through the seam, once the indicator is gone; the dealer name
// comes from the chosen company, the output path from the clock. `showPath`,
// when given, receives the output path as soon as it is built, so a window
// shows it while the checks' messages are up. Before writing, the doubts are
// met as `doubts` says.
ExportResult ExportReturn(const ReturnInputs &form, const std::function<void(const QString &)> &showPath = {},
                          ExportDoubts doubts = ExportDoubts::Ignore,
                          const std::function<void(const QString &)> &warn = {});
