#pragma once

class QEvent;

// Colours, fonts and backgrounds are in ui/WindowKit.h.

// Whether the event is a press of Enter, on the main keyboard or the keypad.
bool IsEnterKey(const QEvent *event);
