#pragma once

#include <QWidget>

class QFrame;
class QLineEdit;
class QToolButton;

// The date field: a box showing "DD/MM/YYYY" while the focus is elsewhere and
// the bare digits while it is edited, and a button (or F2) that opens the
// calendar below the box. A date that does not complete keeps the focus in the
// box, which is framed in red while its text does not complete. The control's value is
// the text of its box.
class ucDate : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked)

public:
    explicit ucDate(QWidget *parent = nullptr);

    // The box's text as it stands: canonical, empty, or the digits being edited.
    QString Text() const;
    // A date, or a day-first or ISO date text, is shown as "DD/MM/YYYY"; an empty
    // value empties the box. Anything else leaves the box as it was.
    void setText(const QVariant &value);
    void setText(const QString &value) { setText(QVariant(value)); }

    bool Locked() const;
    void setLocked(bool locked);

    // Opens the calendar below the box, as the button and F2 do.
    void ShowCalendar();

    QSize sizeHint() const override;

    QLineEdit *txtDate;
    QToolButton *cmdCal;
    QFrame *Line1;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void padDayOrMonth();
    bool leaveBox();
    // The red frame (and the box's "Invalid" property) while a refused text stands.
    void markInvalid(bool invalid);
    void openCalendar(bool fromButton);

    bool m_invalid = false;
    bool m_refused = false; // a text was refused and the box not left since
};
