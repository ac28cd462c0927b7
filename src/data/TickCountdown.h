// Views that need slower work than the display timer's count its ticks down.
// Thread safety: none; one owner on the user-interface thread.
#pragma once

class CTickCountdown {
public:
    explicit constexpr CTickCountdown(int period) : m_period(period), m_left(period) {}

    // Counts one tick; true on every period-th one, which starts the next period.
    bool tick()
    {
        if (--m_left > 0)
            return false;
        m_left = m_period;
        return true;
    }

private:
    int m_period;
    int m_left;
};
