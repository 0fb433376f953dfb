#include "ExportCommand.h"

#include "RegistrationNumber.h"
#include "ReturnQuarter.h"
#include "SchemaValidation.h"
#include "StagedFile.h"
#include "WorkTables.h"
#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/Progress.h"
#include "app/UserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ExportTimeStamp(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

QString ReturnOutputPath(const QString &registrationNumber, const QDateTime &when)
{
    return AppFolder() + QStringLiteral("/ACES/") + Settings().strCompCode + QLatin1Char('/') + registrationNumber
           + QLatin1Char('_') + ExportTimeStamp(when) + QStringLiteral(".xml");
}

QString RejectedReturnPath(const QString &outputPath)
{
    return outputPath + QStringLiteral(".rejected");
}

QString ReturnSchemaPath()
{
    const QString name = QStringLiteral("ACES_DLR.xsd");
    const QString own = FindFileNoCase(AppFolder(), name);
    if (!own.isEmpty())
        return own;
    // An installed program carries the schema in its data folder, found from
    // the executable so that an unpacked or moved install finds it too.
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/quorvant/") + name);
    if (QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return JoinPath(AppFolder(), name);
}

const QString kExportCancelled =
    QStringLiteral("The export was cancelled: no return was written, an earlier one stays as it was.");

ExportResult ExportReturn(const ReturnInputs &form, const std::function<void(const QString &)> &showPath,
                          ExportDoubts doubts, const std::function<void(const QString &)> &warn)
{
    ExportResult result;
    result.outputPath = ReturnOutputPath(form.registrationNumber, Clock::now());
    if (showPath)
        showPath(result.outputPath);

    auto stop = [&result](const QString &message, ExportFocus focus) {
        ShowMessage(message, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        result.focus = focus;
        return result;
    };
    // Empty means no characters at all: blanks count as filled.
    if (form.registrationNumber.isEmpty())
        return stop(QStringLiteral("Please Enter the Registration Number"), ExportFocus::RegisterNo);
    if (form.place.isEmpty())
        return stop(QStringLiteral("Please Enter the Place"), ExportFocus::Place);
    if (form.remarks.isEmpty())
        return stop(QStringLiteral("Please Enter the Remark"), ExportFocus::Remarks);
    if (!ValidateRegistrationNumber(form.registrationNumber, QString())) {
        result.focus = ExportFocus::RegisterNo;
        return result;
    }
    // The number names the file: it must not reach outside the company's folder.
    const QString fileNameProblem = RegistrationFileNameProblem(form.registrationNumber);
    if (!fileNameProblem.isEmpty())
        return stop(fileNameProblem, ExportFocus::RegisterNo);
    if (!CheckWorkTables())
        return result;
    // The desktop program starts without a tariff master, so that it can be imported.
    if (!ConnectionIsOpen(Settings().cnProgram))
        return stop(kTariffMasterMissing, ExportFocus::None);
    // What can fail without the data is found before the first row is read:
    // the name the return takes, and the schema it is checked against.
    if (const QFileInfo target(result.outputPath); target.exists() && !target.isFile())
        return stop(QStringLiteral("The return cannot be written as %1: something that is not a file (%2) has that "
                                   "name; move it away and export again.")
                        .arg(QDir::toNativeSeparators(result.outputPath),
                             target.isDir() ? QStringLiteral("a folder") : QStringLiteral("a device or pipe")),
                    ExportFocus::None);
    // The return is validated as it is written, on a second thread, instead
    // of being read back once it is on disk.
    StreamValidator validator(ReturnSchemaPath());
    if (QString schemaProblem; !validator.start(&schemaProblem)) {
        StandardMessage(schemaProblem, kAppTitle, StdIcon::Critical, StdButtons::Ok, StdResult::Ok);
        return result;
    }

    // True when the export goes on.
    const auto doubt = [&](const QString &fact, const QString &question) {
        if (doubts == ExportDoubts::Warn) {
            if (warn)
                warn(fact);
            return true;
        }
        return ShowMessage(fact + QLatin1Char(' ') + question, kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo,
                           true)
               == 0;
    };
    // A year left at its default easily names another quarter than the tables hold.
    const std::optional<ReturnQuarter> quarter =
        doubts == ExportDoubts::Ignore ? std::nullopt : ReturnQuarterOf(form.year, form.quarter);
    // The indicator stays up from the date check (a pass over both tables'
    // numbers and dates, which Cancel stops) to the end; a question shows over it.
    if (quarter) {
        ShowPleaseWait();
        const RowsOutsideQuarter outside = FindRowsOutsideQuarter(Settings().cnCompany, Settings().cnProgram, *quarter);
        if (outside.cancelled) {
            HidePleaseWait();
            ShowMessage(kExportCancelled, kAppTitle, MsgBoxType::Information, MsgButtons::Ok, true);
            result.cancelled = true;
            return result;
        }
        if (outside.any()
            && !doubt(RowsOutsideQuarterText(outside, *quarter), QStringLiteral("Write the return anyway?"))) {
            HidePleaseWait();
            return result;
        }
    }
    // Two exports in the same minute get the same name. The command line
    // says so once the earlier return is really replaced.
    const bool replacing = doubts != ExportDoubts::Ignore && QFileInfo::exists(result.outputPath);
    const QString replacedName = QFileInfo(result.outputPath).fileName();
    if (replacing && doubts == ExportDoubts::Ask
        && !doubt(QStringLiteral("A return named %1 already exists.").arg(replacedName),
                  QStringLiteral("Replace it?"))) {
        HidePleaseWait();
        return result;
    }

    if (!quarter)
        ShowPleaseWait();
    ReturnInputs inputs = form;
    inputs.dealerName = Settings().strCompName;
    inputs.outputPath = result.outputPath;
    StagedFile file(result.outputPath);
    // An ended document still goes to validation, which reports it as incomplete.
    auto cancelled = [&] {
        validator.abandon();
        file.discard();
        HidePleaseWait();
        ShowMessage(kExportCancelled, kAppTitle, MsgBoxType::Information, MsgButtons::Ok, true);
        result.cancelled = true;
        return result;
    };
    const WriteOutcome outcome = WriteReturnDocument(inputs, &file, &validator);
    if (outcome == WriteOutcome::Cancelled)
        return cancelled();
    if (outcome == WriteOutcome::Failed) {
        validator.abandon();
        return result;
    }
    // What the validator still has queued; Cancel stops it too.
    validator.close();
    {
        ProgressPhase validating(QStringLiteral("Validating"), validator.bytesFed(), false);
        while (!validator.waitFor(int(ProgressPhase::kInterval.count())))
            if (!validating.set(validator.bytesRead()))
                return cancelled();
        // Heard up to the last moment before the file takes its name.
        if (!validating.finish())
            return cancelled();
    }
    QString reason;
    const bool valid = validator.finish(&reason);
    if (!valid || outcome != WriteOutcome::Complete) {
        if (reason.isEmpty())
            reason = QStringLiteral("The return is incomplete.");
        // Kept for inspection, under a name no one takes for a return.
        const QString rejected = RejectedReturnPath(result.outputPath);
        QString moveError;
        if (file.moveTo(rejected, &moveError))
            reason += QStringLiteral("\r\n\r\nWhat was written is kept as %1; it is not a return.")
                          .arg(QDir::toNativeSeparators(rejected));
        else
            reason += QStringLiteral("\r\n\r\n") + moveError;
        StandardMessage(reason, kAppTitle, StdIcon::Critical, StdButtons::Ok, StdResult::Ok);
        HidePleaseWait();
        return result;
    }
    QString placeError;
    if (!file.place(&placeError)) {
        HidePleaseWait();
        ShowMessage(placeError, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
        return result;
    }
    HidePleaseWait();
    if (replacing && doubts == ExportDoubts::Warn && warn)
        warn(QStringLiteral("A return named %1 already existed; it is replaced.").arg(replacedName));
    ShowMessage(QStringLiteral("File Export to XML and validated successfully"), kAppTitle, MsgBoxType::Information,
                MsgButtons::Ok, true);
    result.success = true;
    return result;
}
