#pragma once

#include <QString>

#include <chrono>

// Long work (the export, the data check, the tariff import) says how far it is
// and learns whether the user wants it stopped. The request to stop is one flag
// for the process: the indicator's Cancel button and the command line's Ctrl+C
// set it, the front end clears it before a run, and the work looks at it
// between batches.
void RequestCancel(); // safe in a signal handler
bool CancelRequested();
void ClearCancel();

// How far one phase is, as the front ends show it.
struct ProgressState
{
    QString what; // "Invoice lines", "Validating", ...
    qint64 done = 0;
    qint64 total = -1; // not known when negative: a moving bar
    bool counted = true; // "N of M" makes sense (rows); otherwise a bar and percent only (bytes)
};

// "Invoice lines: 1,234 of 200,000 (1%)", "Validating: 40%", or the phase's
// name alone when its total is not known.
QString ProgressText(const ProgressState &state);

// One phase of long work. step() is cheap enough for every row: the clock is
// read every few rows and the front end is told a few times a second (it lets
// the windows repaint then). The last report of a phase that ran to its end
// has done == total, exactly once.
class ProgressPhase
{
public:
    ProgressPhase(const QString &what, qint64 total, bool counted = true);
    ~ProgressPhase();
    ProgressPhase(const ProgressPhase &) = delete;
    ProgressPhase &operator=(const ProgressPhase &) = delete;

    // `n` more units done; false once the user asked to stop.
    bool step(qint64 n = 1)
    {
        m_state.done += n;
        return m_state.done < m_nextLook || look();
    }
    // The units done so far set outright (bytes validated); false once the user asked to stop.
    bool set(qint64 done)
    {
        m_state.done = done;
        return look();
    }
    // Tells the front end now if it is due; false once the user asked to stop.
    bool look();
    // The phase ran to its end: reports done == total (once). False when the
    // user asked to stop meanwhile, which a short phase may not have looked at.
    bool finish();
    qint64 done() const { return m_state.done; }

    // Time between two reports, and rows between two looks at the clock.
    static constexpr std::chrono::milliseconds kInterval{40};
    static constexpr qint64 kStride = 32;

private:
    void report();

    ProgressState m_state;
    qint64 m_nextLook = 0;
    std::chrono::steady_clock::time_point m_lastReport;
    qint64 m_reported = -1; // done as last reported
    bool m_finished = false;
};
