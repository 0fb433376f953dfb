#pragma once

class QWidget;

// Puts the form's top-left corner at the bottom-left corner of the window (a
// control), moved left by leftShiftTwips when that is not 0. Nothing keeps the
// form on the screen.
void PlaceFormBelow(QWidget *window, QWidget *form, double leftShiftTwips = 0);
