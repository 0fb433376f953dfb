#include "Clock.h"

namespace {
std::function<QDateTime()> g_source;
}

QDateTime Clock::now()
{
    return g_source ? g_source() : QDateTime::currentDateTime();
}

QDate Clock::today()
{
    return now().date();
}

void Clock::setSource(std::function<QDateTime()> source)
{
    g_source = std::move(source);
}
