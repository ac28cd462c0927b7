#include "data/CPlayback.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The history the plot keeps, in records at the line's pace: a jump needs no
// more than this to show what came before the new position.
constexpr std::size_t kHistoryRecords =
    static_cast<std::size_t>(CLiveHistory::LIVE_HISTORY_SECONDS * CPlayback::RECORDS_PER_SECOND);

} // namespace

CPlayback::CPlayback(std::vector<diag_t> records) : m_records(std::move(records)) {}

double CPlayback::position(double now) const
{
    if (!m_playing)
        return m_anchorPosition;
    return std::min(totalSeconds(), m_anchorPosition + (now - m_anchorClock) * m_speed);
}

bool CPlayback::atEnd(double now) const
{
    return position(now) >= totalSeconds();
}

void CPlayback::play(double now)
{
    if (m_playing)
        return;
    if (atEnd(now))
        seek(0, now);
    m_anchorClock = now;
    m_playing = !m_records.empty();
}

void CPlayback::pause(double now)
{
    m_anchorPosition = position(now);
    m_anchorClock = now;
    m_playing = false;
}

void CPlayback::setSpeed(double speed, double now)
{
    if (!(speed > 0))
        return;
    m_anchorPosition = position(now);
    m_anchorClock = now;
    m_speed = speed;
}

void CPlayback::seek(double seconds, double now)
{
    m_anchorPosition = std::clamp(seconds, 0.0, totalSeconds());
    m_anchorClock = now;
    m_sought = true;
}

std::size_t CPlayback::dueAt(double seconds) const
{
    if (m_records.empty())
        return 0;
    // A hair of slack, so that 2/15 s counted up in floating point still
    // reaches record 2.
    const double index = std::floor(seconds * RECORDS_PER_SECOND + 1e-6);
    return std::min(m_records.size(), static_cast<std::size_t>(std::max(0.0, index)) + 1);
}

SPlaybackStep CPlayback::advance(double now)
{
    const double at = position(now);
    if (m_playing && at >= totalSeconds())
        pause(now);
    const std::size_t due = dueAt(at);
    SPlaybackStep step;
    step.end = due;
    if (m_sought) {
        m_sought = false;
        // Back, or to the same record again: the plot would otherwise see
        // time stand still or run backwards.
        step.restart = due <= m_next;
        const std::size_t before = due > kHistoryRecords ? due - kHistoryRecords : 0;
        step.first = step.restart ? before : std::max(m_next, before);
        // Only the record at the new position plays; those before it are
        // history, not news for the views.
        step.played = due > 0 ? std::max(step.first, due - 1) : 0;
    } else {
        step.first = std::min(m_next, due);
        step.played = step.first;
    }
    m_next = due;
    return step;
}

void CPlayback::feed(const SPlaybackStep& step, CDiagData& data, CLiveHistory& history) const
{
    if (step.restart)
        history.clear();
    for (std::size_t i = step.first; i < step.end && i < m_records.size(); ++i) {
        history.add(timeOf(i), m_records[i]);
        if (i >= step.played)
            data.add(m_records[i]);
    }
}

std::string playbackTimeText(double seconds)
{
    const long total = seconds > 0 ? static_cast<long>(std::floor(seconds)) : 0;
    const long h = total / 3600;
    const long m = total / 60 % 60;
    const long s = total % 60;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", m, s);
    return text;
}
