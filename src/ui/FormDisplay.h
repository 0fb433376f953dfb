#pragma once

#include "ui/FormLayout.h"

#include <QString>

class QMdiArea;
class QMdiSubWindow;
class QObject;
class QWidget;

// A widget's Tag text, kept as the dynamic property "Tag". Anchor codes, the
// arranged marker and the keyboard letters all live there.
QString WidgetTag(const QObject *object);
void SetWidgetTag(QObject *object, const QString &tag);

// The main window registers its client area here; windows are placed over it.
void SetClientArea(QMdiArea *area);
QMdiArea *ClientArea();
// The widget whose rectangle is the client area: the registered area's
// viewport, or null when there is no main window.
QWidget *ClientAreaWidget();

// Pixels to twips with the screen's twips per pixel.
void RectToTwips(EdgeRect &rect);

// The sub-window that hosts a form inside the main window, or null.
QMdiSubWindow *HostSubWindow(QWidget *form);

// A form counts as fixed-size (scaled by ArrangeForm) when its size is fixed.
bool IsFixedSizeForm(const QWidget *form);

// Shows a window modal (returns when it has closed) or modeless, centred or
// at the right edge of the client area. A null *client asks for the main window's client area, which
// is written back. Without a main window the screen stands in for it.
void DisplayForm(QWidget *form, FormMode mode, FormPosition position, QWidget **client = nullptr);

// Fits a working window into the client area the first time (scaling a
// fixed-size window, moving its anchored controls), then shows it modeless or
// brings it to the front. With a main window, the form becomes one of its
// child windows.
void ArrangeForm(QWidget *form);
