#include "Progress.h"

#include "UserInterface.h"

#include <QLocale>

#include <atomic>

namespace {
std::atomic<bool> g_cancel{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
} // namespace

void RequestCancel()
{
    g_cancel.store(true, std::memory_order_relaxed);
}

bool CancelRequested()
{
    return g_cancel.load(std::memory_order_relaxed);
}

void ClearCancel()
{
    g_cancel.store(false, std::memory_order_relaxed);
}

QString ProgressText(const ProgressState &s)
{
    if (s.total < 0)
        return s.what;
    const int percent = s.total > 0 ? int(qMin<qint64>(100, s.done * 100 / s.total)) : 100;
    if (!s.counted)
        return QStringLiteral("%1: %2%").arg(s.what).arg(percent);
    const QLocale c = QLocale::c();
    return QStringLiteral("%1: %2 of %3 (%4%)").arg(s.what, c.toString(s.done), c.toString(s.total)).arg(percent);
}

ProgressPhase::ProgressPhase(const QString &what, qint64 total, bool counted)
    : m_state{what, 0, total, counted}
    , m_nextLook(kStride)
    , m_lastReport(std::chrono::steady_clock::now())
{
    report(); // the phase's name shows as soon as it begins
}

ProgressPhase::~ProgressPhase() = default;

bool ProgressPhase::look()
{
    m_nextLook = m_state.done + kStride;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastReport >= kInterval) {
        m_lastReport = now;
        report();
    }
    return !CancelRequested();
}

bool ProgressPhase::finish()
{
    if (!m_finished) {
        m_finished = true;
        if (m_state.total >= 0)
            m_state.done = m_state.total;
        if (m_reported != m_state.done || m_state.total < 0)
            report();
    }
    return !CancelRequested();
}

void ProgressPhase::report()
{
    m_reported = m_state.done;
    CurrentUserInterface().showProgress(m_state);
}
