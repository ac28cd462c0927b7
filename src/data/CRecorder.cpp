#include "data/CRecorder.h"

#include <cstring>
#include <filesystem>

#include "data/CUserConfig.h"
#include "lang/Translation.h"

std::string recordingFileName(std::time_t when, const std::string& serial)
{
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return std::string(stamp) + "_" + CUserConfig::historyFolderName(serial) + RECORDING_EXTENSION;
}

std::string newRecordingPath(std::time_t when, const std::string& serial, std::string& error)
{
    const std::string dir = CUserConfig::recordingsDirectory();
    if (dir.empty()) {
        error = translate("nie ustawiono katalogu domowego (HOME)");
        return {};
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        error = dir + ": " + translate("nie można utworzyć katalogu") + " (" + ec.message() + ")";
        return {};
    }
    const std::string name = recordingFileName(when, serial);
    std::string path = dir + name;
    // Two recordings started within one second must not share a file.
    const std::string stem = name.substr(0, name.size() - std::strlen(RECORDING_EXTENSION));
    for (int n = 2; std::filesystem::exists(path, ec); ++n)
        path = dir + stem + "-" + std::to_string(n) + RECORDING_EXTENSION;
    return path;
}

int CRecorder::start(const std::string& path, std::uint64_t limit)
{
    CMutexGuard guard(m_mutex);
    m_file.close();
    m_state = {};
    m_state.path = path;
    if (!m_file.open(path, true))
        return m_file.error() != 0 ? m_file.error() : -1;
    m_state.recording = true;
    m_limit = limit;
    m_started = std::chrono::steady_clock::now();
    return 0;
}

void CRecorder::stop()
{
    CMutexGuard guard(m_mutex);
    if (!m_state.recording)
        return;
    m_state.seconds = secondsSinceStart();
    m_state.recording = false;
    m_file.close();
}

void CRecorder::write(const diag_t& rec)
{
    CMutexGuard guard(m_mutex);
    if (!m_state.recording)
        return;
    if (!m_file.write(rec)) {
        m_state.failure = m_file.error();
        m_state.seconds = secondsSinceStart();
        m_state.recording = false;
        return;
    }
    ++m_state.records;
    if (m_limit != 0 && m_state.records >= m_limit) {
        m_state.seconds = secondsSinceStart();
        m_state.recording = false;
        m_file.close();
    }
}

SRecorderState CRecorder::state()
{
    CMutexGuard guard(m_mutex);
    SRecorderState s = m_state;
    if (s.recording)
        s.seconds = secondsSinceStart();
    return s;
}

bool CRecorder::recording()
{
    CMutexGuard guard(m_mutex);
    return m_state.recording;
}

double CRecorder::secondsSinceStart() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
}
