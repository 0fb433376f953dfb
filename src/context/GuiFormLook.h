#pragma once

#include <QColor>

class QEvent;
class QWidget;

// The colours and key handling the program's windows share.
inline const QColor kFormTeal(23, 147, 140);
inline const QColor kFormPale(200, 249, 241);

// Fills the widget's background with `back` and draws its text in `text`.
void PaintBackground(QWidget *widget, const QColor &back, const QColor &text);

// Whether the event is a press of Enter, on the main keyboard or the keypad.
bool IsEnterKey(const QEvent *event);
