#pragma once

#include "app/UserInterface.h"

#include <QStringList>

#include <functional>

// Stands in for the windows behind the seam: keeps every message and
// question, and answers from a script.
class RecordingUserInterface : public UserInterface
{
public:
    struct Entry
    {
        bool standard = false; // platform box rather than the program's own
        QString text;
        QString title;
        MsgBoxType boxType = MsgBoxType::Critical;
        MsgButtons buttonStyle = MsgButtons::Ok;
        bool defaultNegative = false;
        StdIcon icon = StdIcon::None;
    };

    int showMessage(const QString &text, const QString &title, MsgBoxType boxType, MsgButtons buttonStyle,
                    bool defaultNegative) override;
    StdResult standardMessage(const QString &text, const QString &title, StdIcon icon, StdButtons buttons,
                              StdResult defaultButton) override;
    void showPleaseWait() override;
    void hidePleaseWait() override;
    void processEvents() override {}
    void restoreCursor() override { ++cursorRestores; }
    QString chooseFolder(const QString &question, const QString &start) override;
    // The answer "<demo>" takes the demo company.
    QString chooseFolderOrDemo(const QString &question, const QString &start, bool *demo) override
    {
        ++demoOffers;
        const QString answer = chooseFolder(question, start);
        *demo = answer == QLatin1String("<demo>");
        return *demo ? QString() : answer;
    }

    void clear();
    QStringList texts() const;

    QList<Entry> messages;
    QList<int> answers; // next answers for showMessage; default 0
    std::function<void(const QString &)> onMessage; // runs while each showMessage is up; clear() drops it
    std::function<void()> onPleaseWait; // runs as the indicator shows, as the user acts while it runs
    QList<StdResult> standardAnswers; // next answers for standardMessage; default: the default button
    bool pleaseWaitVisible = false;
    int pleaseWaitShows = 0;
    int cursorRestores = 0;
    QStringList folderQuestions; // the questions of chooseFolder, in order
    QStringList folderAnswers; // next answers for chooseFolder; default: cancelled
    int demoOffers = 0;
};
