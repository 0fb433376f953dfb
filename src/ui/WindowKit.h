#pragma once

#include "ui/Twips.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QWidget>

#include <functional>

class QLabel;
class QTableWidget;

class QLineEdit;

// What the program's windows share in their look: colours, the Arial font,
// painted backgrounds and controls placed in twips.

inline const QColor kFormTeal(23, 147, 140);
inline const QColor kFormPale(200, 249, 241);
// Headings and outlines drawn on the pale panel.
inline const QColor kFormDarkTeal(12, 84, 80);

// Arial, or a face with the same widths where Arial is not installed, so
// captions laid out for Arial still fit (the calendar's "Mon" and "54").
QFont ArialFont(double points, bool bold = false);

// Fills the widget's background with `back`; draws its text in `text` when
// that is a valid colour, and leaves the text colour alone otherwise.
void PaintBackground(QWidget *widget, const QColor &back, const QColor &text = QColor());
// Draws the widget's text (a frame's lines) in `text`; the background stays as it is.
void PaintText(QWidget *widget, const QColor &text);

// `object` (a control, a menu, an action) under its name, for tests and
// saved settings to find it by.
template <class T> T *Named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// A new control `name` in `parent` at left, top; sized as well when width
// and height are given. All in twips.
template <class W>
W *PlaceTwips(QWidget *parent, const char *name, double left, double top, double width = 0, double height = 0)
{
    W *w = Named(new W(parent), name);
    const QRect r = TwipsRect(left, top, width, height);
    w->move(r.topLeft());
    if (width > 0 && height > 0)
        w->resize(r.size());
    return w;
}

// Closes a working window: its sub-window inside the main window, or itself.
void CloseWorkingWindow(QWidget *form);
// Esc anywhere in the form closes it the way `close` does (its own close button).
void CloseOnEscape(QWidget *form, std::function<void()> close);
// A box that shows text the user does not type: no Tab stop (a click still
// selects, for copying) and the window's colour behind the text.
void ShowReadOnly(QLineEdit *box);
// A working window of fixed design: its name and title, gone when closed,
// Arial 8.25, no anchor code of its own, and its fixed size in twips.
void SetUpFixedWindow(QWidget *form, const QString &name, const QString &title, double widthTwips, double heightTwips);
// A report window's frame: its name and title, gone when closed, its size in
// twips, the pale background, and Esc closing it as a working window.
void SetUpReportWindow(QWidget *form, const QString &name, const QString &title, int widthTwips, int heightTwips);
// The bold line of plain text a report window opens with ("lblStatus").
QLabel *ReportStatusLabel(QWidget *parent);
// A report's grid: read-only, whole rows selected, `titles` over the columns,
// no row numbers, the last column to the edge, one line a row.
void SetUpReportGrid(QTableWidget *grid, const QStringList &titles);
// Installs the program's style: the platform's, with a focus frame drawn in
// every button that has the focus, however the focus got there.
void InstallFocusFrames();

// An amount written plainly ("-1234567.50") with the locale's digit grouping
// and decimal point, for reading in a window; files keep the plain text.
QString LocaleAmount(const QString &plain, const QLocale &locale = QLocale());
