#pragma once

#include <QString>

enum class DataMode { FoxPro, Jet, SqlServer };

// What the marker and configuration files say, before anything is opened.
struct ModeDecision
{
    DataMode mode = DataMode::FoxPro;
    QString dataPath; // first line of NaturePath.inf, unchanged; empty in FoxPro mode
    QString serverName; // SQL Server mode
    bool ok = true;
    QString error; // why start-up cannot go on (steps 5 to 9 of start-up)
};

// "KOLV.Bat" in the application folder: FoxPro mode, whatever else exists.
// Otherwise NaturePath.inf's first line and the presence of Access.inf in the
// system folder decide between Jet and SQL Server.
ModeDecision DecideDataMode(const QString &appFolder, const QString &winDir);

// The first line of a text file, without its line end and without trimming.
bool ReadFirstLine(const QString &path, QString *line);

// Start-up's regional check: false when the user declined to switch the
// short-date format to dd/MM/yyyy (the program then ends).
bool RunRegionalDateCheck();

struct StartupFailure
{
    int number = 0;
    QString description;
    bool tariffMasterMissing = false; // the rest is open; only the tariff import can go on
};

// Start-up steps 4 to 8: fills the mode settings and opens cnKolvSet and
// cnProgram. False with the failure when a connection cannot be opened.
bool OpenStartupConnections(StartupFailure *failure);
