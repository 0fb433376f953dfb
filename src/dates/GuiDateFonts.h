#pragma once

#include <QFont>

// Arial, or a face with the same widths where Arial is not installed, so the
// calendar's narrow columns still hold "Mon" and "54".
inline QFont ArialFont(double points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
