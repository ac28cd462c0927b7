// A recording played back on a clock the caller gives: where the playback
// stands, how fast it runs, and which records are due at each moment. The
// records came at the line's pace, 15 a second, so record i plays at i/15 s
// and a recording of n records lasts n/15 s.
// Thread safety: one instance per thread; the clock is only ever passed in.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "data/CDiagData.h"
#include "data/CLiveHistory.h"
#include "data/DiagRecord.h"

// What one step of the playback hands on.
struct SPlaybackStep {
    bool restart = false;   // the history starts afresh first: the playback went back
    std::size_t first = 0;  // records [first, end) go to the history
    std::size_t played = 0; // records [played, end) are played: they go to the buffer too
    std::size_t end = 0;
};

class CPlayback {
public:
    static constexpr double RECORDS_PER_SECOND = 15;
    static constexpr double SPEEDS[] = {0.25, 0.5, 1, 2, 4, 8};

    explicit CPlayback(std::vector<diag_t> records);

    std::size_t count() const { return m_records.size(); }
    const std::vector<diag_t>& records() const { return m_records; }
    static double timeOf(std::size_t index)
    {
        return static_cast<double>(index) / RECORDS_PER_SECOND;
    }
    double totalSeconds() const { return timeOf(m_records.size()); }

    // Seconds into the recording at the clock's `now` (seconds of any
    // steady clock).
    double position(double now) const;
    bool playing() const { return m_playing; }
    double speed() const { return m_speed; }
    // The end was reached (and the playback stopped there).
    bool atEnd(double now) const;

    // Play from where it stands; from the start again once at the end.
    void play(double now);
    void pause(double now);
    void setSpeed(double speed, double now);
    // Jumps to a moment (clamped to the recording); playing or paused, the
    // next step shows the record there with the minutes before it.
    void seek(double seconds, double now);

    // The records due since the last step. Reaching the end stops the playback.
    SPlaybackStep advance(double now);
    // Hands a step on as the reader hands its records on: to the buffer and
    // to the history, on the recording's own clock.
    void feed(const SPlaybackStep& step, CDiagData& data, CLiveHistory& history) const;

private:
    // How many records are due at a position: record i once i/15 s are reached.
    std::size_t dueAt(double seconds) const;

    std::vector<diag_t> m_records;
    double m_anchorPosition = 0; // where it stood at m_anchorClock
    double m_anchorClock = 0;
    double m_speed = 1;
    bool m_playing = false;
    std::size_t m_next = 0; // records [0, m_next) were handed on
    bool m_sought = false;
};

// "m:ss", or "h:mm:ss" from an hour on; whole seconds, rounded down.
std::string playbackTimeText(double seconds);
