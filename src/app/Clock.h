#pragma once

#include <QDateTime>

// One replaceable clock for "today", so year lists, date completion and the
// calendar can be tested on a fixed day.
namespace Clock {
QDateTime now();
QDate today();
void setNow(const QDateTime &fixed); // an invalid value goes back to the system clock
void reset();
} // namespace Clock
