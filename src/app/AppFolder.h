#pragma once

#include <QString>

// Where the application folder comes from; the first that applies wins.
enum class AppFolderSource {
    Option, // --app-dir
    Environment, // QUORVANT_HOME
    Remembered, // the folder the user chose before (user settings)
    Executable, // the program's own folder, when it holds the accounting data
    None,
};

struct AppFolderChoice
{
    AppFolderSource source = AppFolderSource::None;
    QString folder;
    QString problem; // Option or Environment: why the folder cannot serve (see AppFolderProblem)
    QString forgotten; // a remembered folder that no longer exists
};

AppFolderChoice ResolveAppFolder();

// True when `folder` holds accounting data as the old platform kept it beside
// the program: "KOLV.Bat" or a "Data" folder.
bool HoldsAccountingData(const QString &folder);

QString RememberedAppFolder();
bool RememberAppFolder(const QString &folder);

// The sentence that asks for the folder; names a remembered folder that is gone.
QString AppFolderQuestion(const QString &forgotten);

enum class AppFolderOutcome { Ready, Cancelled, Failed };

// The desktop program's start: resolves the folder and, when nothing names
// one (or `askAgain`), asks through the seam, remembers the answer and uses
// it. Failed fills `problem`; Cancelled means the user chose nothing.
AppFolderOutcome SettleAppFolder(bool askAgain, QString *problem);

// The command line never asks: empty when a folder is known, otherwise why
// not, naming --app-dir and QUORVANT_HOME.
QString CliAppFolderProblem();

// A file or folder the program carries beside itself: in its own folder (the
// build tree), else in the installed data folder (share/quorvant); empty when
// neither holds it.
QString InstalledDataPath(const QString &name);

// Where "Try the demo company" puts its copy of the installed demo: the
// user's data folder.
QString DemoCopyFolder();
