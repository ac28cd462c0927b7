// Whether a recording a fitter names can be played back or exported whole:
// said in the fitter's words before anything waits on the file (a FIFO would
// block its open) or reads it whole.
// Thread safety: a pure function over the file system.
#pragma once

#include <cstdint>
#include <string>

// A playback holds the whole recording in memory and an export runs in the
// window: 128 MiB is some 32 hours at 15 records a second. Anything longer
// is for nimo-cli replay, which streams.
inline constexpr std::uintmax_t MAX_RECORDING_BYTES = std::uintmax_t{128} << 20;

struct SRecordingCheck {
    // Translated, naming the file; empty when it can be played.
    std::string error;
    std::uintmax_t records = 0;
    // The file ends in part of a record (it was cut short); the whole
    // records before it are played. Translated; empty otherwise.
    std::string note;
};

// A regular file no larger than MAX_RECORDING_BYTES, with the recording's
// header and at least one record.
SRecordingCheck checkRecording(const std::string& path);
