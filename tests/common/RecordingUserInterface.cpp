#include "RecordingUserInterface.h"

int RecordingUserInterface::showMessage(const QString &text, const QString &title, MsgBoxType boxType,
                                        MsgButtons buttonStyle, bool defaultNegative)
{
    if (onMessage)
        onMessage(text);
    messages.append({false, text, title, boxType, buttonStyle, defaultNegative});
    return answers.isEmpty() ? 0 : answers.takeFirst();
}

StdResult RecordingUserInterface::standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons,
                                                  StdResult defaultButton)
{
    messages.append({true, text, title, MsgBoxType::Critical, MsgButtons::Ok, false, icon});
    return standardAnswers.isEmpty() ? defaultButton : standardAnswers.takeFirst();
}

void RecordingUserInterface::showPleaseWait()
{
    pleaseWaitVisible = true;
    ++pleaseWaitShows;
    if (onPleaseWait)
        onPleaseWait();
}

void RecordingUserInterface::hidePleaseWait()
{
    pleaseWaitVisible = false;
}

void RecordingUserInterface::clear()
{
    *this = RecordingUserInterface();
}

QStringList RecordingUserInterface::texts() const
{
    QStringList out;
    for (const Entry &e : messages)
        out << e.text;
    return out;
}

QString RecordingUserInterface::chooseFolder(const QString &question, const QString &)
{
    folderQuestions << question;
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}
