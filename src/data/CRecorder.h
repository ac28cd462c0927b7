// The recording the live-data reader writes through. It can be started and
// stopped from any thread while the reader runs: a record goes to the file
// whole or not at all, so a recording begins and ends between two records and
// the reader never has to be restarted for it. It belongs to the live source,
// not to one reader, so a recording carries on across a reconnection.
// Thread safety: every operation takes the recorder's own mutex.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>

#include "data/CDiagFile.h"
#include "msglib/CMutex.h"

// The extension of recordings, as nimo-cli's examples name them.
inline constexpr const char* RECORDING_EXTENSION = ".bin";

// "2026-12-09_14-05-33_<serial>.bin" in local time: the name a recording
// started from the application gets; the serial made fit for a file name.
std::string recordingFileName(std::time_t when, const std::string& serial);
// Where a recording started now goes: Recordings/ of the data directory,
// created when missing, under recordingFileName with "-2", "-3" ... added
// when a recording of the same second exists. Empty, with `error` (in the
// current language), when there is no such folder to write to.
std::string newRecordingPath(std::time_t when, const std::string& serial, std::string& error);

struct SRecorderState {
    bool recording = false;
    std::string path;          // the recording under way, else the last one
    std::uint64_t records = 0; // records in it
    double seconds = 0;        // since it started; frozen once it ended
    // The system's error number of the write that ended it early; 0 while it
    // runs, once stopped, or after its record limit.
    int failure = 0;
};

class CRecorder {
public:
    // A new recording at path, replacing a file of that name; one under way
    // is closed first. With limit set it closes itself after that many
    // records. 0 when it started, else the system's error number.
    int start(const std::string& path, std::uint64_t limit = 0);
    // Closes the recording whole; nothing when none is under way.
    void stop();
    // The reader's side: every record it keeps, recording or not. A failed
    // write ends the recording with only whole records in the file.
    void write(const diag_t& rec);
    SRecorderState state();
    bool recording();

private:
    double secondsSinceStart() const;

    CMutex m_mutex;
    CDiagFile m_file;
    SRecorderState m_state;
    std::uint64_t m_limit = 0;
    std::chrono::steady_clock::time_point m_started{};
};
