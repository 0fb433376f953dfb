#pragma once

#include <QString>

class QTextBrowser;
class QWidget;

// The manual's window, shown at `section` (a window's object name, which
// the manual uses as the anchor of that window's section); made once.
QTextBrowser *ShowManual(const QString &section = QString());

// "About Quorvant": the version, the folders and files in use, the licence.
QString AboutText();
void ShowAbout(QWidget *parent);
