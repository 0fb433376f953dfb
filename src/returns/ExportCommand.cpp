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
#include "sources/DataConnections.h"

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
    return JoinPath(CompanyOutputFolder(),
                    registrationNumber + QLatin1Char('_') + ExportTimeStamp(when) + QStringLiteral(".xml"));
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

namespace {
// One export, from the checks on the form to the return in place. It owns
// what the export leaves behind (the staged file, the validator) and all it
// says: messages wait until the please-wait indicator is gone, questions
// show over it.
class ExportRun
{
public:
    ExportRun(const ReturnInputs &form, ExportDoubts doubts, const std::function<void(const QString &)> &warn)
        : m_form(form)
        , m_doubts(doubts)
        , m_warn(warn)
        , m_file(ReturnOutputPath(form.registrationNumber, Clock::now()))
        , m_validator(ReturnSchemaPath())
    {
        result.outputPath = m_file.finalPath();
    }

    bool formAccepted();
    bool dataReady();
    bool doubtsMet();
    bool written();
    bool validated();
    bool placed();
    // The messages, in the order the export met them.
    void tell();

    ExportResult result;

private:
    enum class Box { Program, Standard, Information, Warning };
    bool say(const QString &text, Box box = Box::Program)
    {
        m_messages.append({text, box});
        return false;
    }
    bool stop(const QString &text, ExportFocus focus)
    {
        result.focus = focus;
        return say(text);
    }
    bool cancelled();
    bool doubt(const QString &fact, const QString &question);

    ReturnInputs m_form;
    ExportDoubts m_doubts;
    std::function<void(const QString &)> m_warn;
    StagedFile m_file;
    StreamValidator m_validator;
    WriteOutcome m_outcome = WriteOutcome::Failed;
    QList<std::pair<QString, Box>> m_messages;
};

// The three required fields, the dealer's registration number, and the
// number as a file name: it must not reach outside the company's folder.
bool ExportRun::formAccepted()
{
    // Empty means no characters at all: blanks count as filled.
    if (m_form.registrationNumber.isEmpty())
        return stop(QStringLiteral("Please Enter the Registration Number"), ExportFocus::RegisterNo);
    if (m_form.place.isEmpty())
        return stop(QStringLiteral("Please Enter the Place"), ExportFocus::Place);
    if (m_form.remarks.isEmpty())
        return stop(QStringLiteral("Please Enter the Remark"), ExportFocus::Remarks);
    if (!ValidateRegistrationNumber(m_form.registrationNumber, QString())) {
        result.focus = ExportFocus::RegisterNo;
        return false;
    }
    const QString fileNameProblem = RegistrationFileNameProblem(m_form.registrationNumber);
    return fileNameProblem.isEmpty() || stop(fileNameProblem, ExportFocus::RegisterNo);
}

// What can fail without the data is found before the first row is read:
// the work tables and the master, the name the return takes, the schema.
bool ExportRun::dataReady()
{
    if (!CheckWorkTables())
        return false;
    // The desktop program starts without a tariff master, so that it can be imported.
    if (!ConnectionIsOpen(Settings().cnProgram))
        return say(kTariffMasterMissing);
    if (const QFileInfo target(result.outputPath); target.exists() && !target.isFile())
        return say(QStringLiteral("The return cannot be written as %1: something that is not a file (%2) has that "
                                  "name; move it away and export again.")
                       .arg(QDir::toNativeSeparators(result.outputPath),
                            target.isDir() ? QStringLiteral("a folder") : QStringLiteral("a device or pipe")));
    // The return is validated as it is written, on a second thread, instead
    // of being read back once it is on disk.
    QString schemaProblem;
    return m_validator.start(&schemaProblem) || say(schemaProblem, Box::Standard);
}

bool ExportRun::cancelled()
{
    m_validator.abandon();
    m_file.discard();
    result.cancelled = true;
    return say(kExportCancelled, Box::Information);
}

// True when the export goes on.
bool ExportRun::doubt(const QString &fact, const QString &question)
{
    if (m_doubts == ExportDoubts::Warn) {
        if (m_warn)
            m_warn(fact);
        return true;
    }
    return ShowMessage(fact + QLatin1Char(' ') + question, kAppTitle, MsgBoxType::Confirmation, MsgButtons::YesNo, true)
           == 0;
}

// A year left at its default easily names another quarter than the tables
// hold (a pass over both tables' numbers and dates, which Cancel stops); two
// exports in the same minute get the same name.
bool ExportRun::doubtsMet()
{
    if (m_doubts == ExportDoubts::Ignore)
        return true;
    if (const std::optional<ReturnQuarter> quarter = ReturnQuarterOf(m_form.year, m_form.quarter)) {
        const RowsOutsideQuarter outside = FindRowsOutsideQuarter(Settings().cnCompany, Settings().cnProgram, *quarter);
        if (outside.cancelled)
            return cancelled();
        if (outside.any()
            && !doubt(RowsOutsideQuarterText(outside, *quarter), QStringLiteral("Write the return anyway?")))
            return false;
    }
    const QString name = QFileInfo(result.outputPath).fileName();
    if (!QFileInfo::exists(result.outputPath))
        return true;
    // The command line says so once the earlier return is really replaced.
    if (m_doubts == ExportDoubts::Warn)
        m_messages.append(
            {QStringLiteral("A return named %1 already existed; it is replaced.").arg(name), Box::Warning});
    return m_doubts == ExportDoubts::Warn
           || doubt(QStringLiteral("A return named %1 already exists.").arg(name), QStringLiteral("Replace it?"));
}

// The document, into the staged file beside the return's name: an earlier
// return of that name stays as it is until a complete, valid one takes its
// place. A document a row check ended is kept for the validation to report.
bool ExportRun::written()
{
    // The accounting system may have written the work tables after the company
    // was chosen; the FoxPro connection learns of new files only when asked.
    QString error;
    if (Settings().blnFoxPro && !RefreshFoxProConnection(Settings().cnCompany, &error))
        return say(error);
    if (!m_file.create(&error))
        return say(error);
    ReturnWriter writer(m_form, Settings().strCompName, Settings().cnCompany, Settings().cnProgram);
    m_outcome = writer.write(&m_file, result.outputPath, &m_validator);
    if (m_outcome == WriteOutcome::Cancelled)
        return cancelled();
    // What the writer found comes first, in its order, then why it stopped.
    for (const QString &notice : writer.notices())
        say(notice);
    if (m_outcome == WriteOutcome::Failed || !m_file.finish(&error)) {
        m_validator.abandon();
        m_file.discard();
        return say(m_outcome == WriteOutcome::Failed ? writer.errorString() : error);
    }
    if (m_outcome == WriteOutcome::Ended)
        say(writer.endMessage());
    return true;
}

// What the validator still has queued; Cancel stops it too, up to the last
// moment before the file takes its name. A file that is no valid return is
// kept for inspection, under a name no one takes for a return.
bool ExportRun::validated()
{
    m_validator.close();
    {
        ProgressPhase validating(QStringLiteral("Validating"), m_validator.bytesFed(), false);
        while (!m_validator.waitFor(int(ProgressPhase::kInterval.count())))
            if (!validating.set(m_validator.bytesRead()))
                return cancelled();
        if (!validating.finish())
            return cancelled();
    }
    QString reason;
    if (m_validator.finish(&reason) && m_outcome == WriteOutcome::Complete)
        return true;
    if (reason.isEmpty())
        reason = QStringLiteral("The return is incomplete.");
    const QString rejected = RejectedReturnPath(result.outputPath);
    QString moveError;
    if (m_file.moveTo(rejected, &moveError))
        reason += QStringLiteral("\r\n\r\nWhat was written is kept as %1; it is not a return.")
                      .arg(QDir::toNativeSeparators(rejected));
    else
        reason += QStringLiteral("\r\n\r\n") + moveError;
    return say(reason, Box::Standard);
}

bool ExportRun::placed()
{
    QString error;
    if (!m_file.place(&error))
        return say(error);
    say(QStringLiteral("File Export to XML and validated successfully"), Box::Information);
    return true;
}

void ExportRun::tell()
{
    for (const auto &[text, box] : std::as_const(m_messages)) {
        switch (box) {
        case Box::Program:
            ShowMessage(text, kAppTitle, MsgBoxType::Critical, MsgButtons::Ok, true);
            break;
        case Box::Standard:
            StandardMessage(text, kAppTitle, StdIcon::Critical, StdButtons::Ok, StdResult::Ok);
            break;
        case Box::Information:
            ShowMessage(text, kAppTitle, MsgBoxType::Information, MsgButtons::Ok, true);
            break;
        case Box::Warning: // said only once the return is in place
            if (result.success && m_warn)
                m_warn(text);
            break;
        }
    }
}
} // namespace

ExportResult ExportReturn(const ReturnInputs &form, const std::function<void(const QString &)> &showPath,
                          ExportDoubts doubts, const std::function<void(const QString &)> &warn)
{
    ExportRun run(form, doubts, warn);
    if (showPath)
        showPath(run.result.outputPath);
    if (run.formAccepted() && run.dataReady()) {
        const PleaseWaitShown wait;
        run.result.success = run.doubtsMet() && run.written() && run.validated() && run.placed();
    }
    run.tell();
    return run.result;
}
