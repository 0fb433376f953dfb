#pragma once

#include <QDateTime>

#include <functional>

// One replaceable clock for "today", so year lists, date completion and the
// calendar can be tested on a fixed day.
namespace Clock {
QDateTime now();
QDate today();
// Where now() comes from; an empty function restores the system clock.
void setSource(std::function<QDateTime()> source);
} // namespace Clock
