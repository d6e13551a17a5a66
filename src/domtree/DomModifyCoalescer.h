#pragma once

#include <QtGlobal>

// When the DOM tree refreshes after a burst of page mutations: 1.0 s after
// the last mutation, but never later than 5.0 s after the first (both 0.1 s
// in immediate mode, while the program makes its own structural edits).
// Plain arithmetic on the times it is given, so that a test can drive it on
// a clock of its own.
class DomModifyCoalescer
{
public:
    static constexpr qint64 s_delayMs = 1000;
    static constexpr qint64 s_timeoutMs = 5000;
    static constexpr qint64 s_immediateMs = 100;

    // A mutation at now (ms): re-arms the delay, arms the time-out when none
    // is armed; answers when the refresh is due.
    qint64 noteMutation(qint64 now, bool immediate)
    {
        m_delayDue = now + (immediate ? s_immediateMs : s_delayMs);
        if (m_timeoutDue < 0)
            m_timeoutDue = now + (immediate ? s_immediateMs : s_timeoutMs);
        return dueAt();
    }
    bool isPending() const { return m_delayDue >= 0; }
    qint64 dueAt() const { return isPending() ? qMin(m_delayDue, m_timeoutDue) : -1; }
    // The refresh ran: both timers are off.
    void fired()
    {
        m_delayDue = -1;
        m_timeoutDue = -1;
    }

private:
    qint64 m_delayDue = -1;
    qint64 m_timeoutDue = -1;
};
