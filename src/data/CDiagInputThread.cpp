#include "data/CDiagInputThread.h"

#include <chrono>
#include <memory>

#include "data/DiagRecord.h"
#include "errors/IError.h"
#include "msglib/CLPGThreadManager.h"

diag_t liveRecord(const diag_t& received)
{
    diag_t kept = received;
    kept.fuel = viewedFuel(kept.fuel);
    if (petrolTimeMs(kept.channels[0].petrolA) < DIAG_MIN_PETROL_MS)
        kept.channels[0].petrolA = 0;
    return kept;
}

CDiagInputThread::CDiagInputThread(CDiagData& data, std::string recording,
                                   std::atomic<std::uint8_t>& runFlag)
    : m_data(data), m_recording(std::move(recording)), m_runFlag(runFlag)
{
}

void CDiagInputThread::run()
{
    try {
        onStart();
        // Counted per reader: a reader started after a lost link gets its full
        // number of tries before it gives up in turn.
        int failures = 0;
        while (failures < DIAG_MAX_FAILURES) {
            if (m_runFlag.load() == 0) {
                onStop();
                return;
            }
            diag_t rec{};
            switch (readRecord(rec)) {
            case 0:
                processRecord(rec);
                ++m_records;
                failures = 0;
                break;
            case 1:
                ++m_otherReplies;
                break;
            default:
                ++m_failures;
                ++failures;
                break;
            }
        }
        onStop();
        lostLink();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        if (m_runFlag.load() != 0) {
            onStop();
            if (lineFailed())
                lostLink();
        }
    } catch (...) {
        onStop();
        lostLink();
    }
}

CDiagRSThread::CDiagRSThread(CLiveSource& source, std::string recording)
    : CDiagInputThread(source.m_diagData, std::move(recording), source.m_runFlag), m_source(source)
{
    m_source.m_liveReaders.enter();
    if (m_recording != NO_RECORDING)
        m_ownsRecording = m_source.m_recorder.start(m_recording) == 0;
}

CDiagRSThread::~CDiagRSThread()
{
    endOwnRecording();
    m_source.m_liveReaders.leave();
}

void CDiagRSThread::endOwnRecording()
{
    // A recording someone started since is theirs to end.
    if (m_ownsRecording && m_source.m_recorder.state().path == m_recording)
        m_source.m_recorder.stop();
    m_ownsRecording = false;
}

void CDiagRSThread::onStart()
{
    m_source.beginLive();
    m_data.clear();
}

void CDiagRSThread::onStop()
{
    endOwnRecording();
}

int CDiagRSThread::readRecord(diag_t& rec)
{
    const int result = m_source.readDiag(rec);
    if (result == 0)
        rec = liveRecord(rec);
    return result;
}

void CDiagRSThread::processRecord(const diag_t& rec)
{
    // Recorded before anyone can see it in the buffer: a record shown while a
    // recording runs is in that recording.
    m_source.m_recorder.write(rec);
    m_data.add(rec);
    m_source.m_history.add(liveHistorySeconds(), rec);
}

void CDiagRSThread::lostLink()
{
    m_source.liveLost();
}

bool CDiagRSThread::lineFailed()
{
    return m_source.liveLineFailed();
}

bool startLive(CLiveSource& source, const std::string& recording)
{
    if (!source.liveAllowed()) {
        source.m_runFlag.store(0);
        return false;
    }
    source.m_runFlag.store(1);
    threadManager().addThread(std::make_unique<CDiagRSThread>(source, recording));
    return true;
}

bool stopLive(CLiveSource& source, std::uint32_t limitMs)
{
    source.m_runFlag.store(0);
    return source.m_liveReaders.waitUntilNone(std::chrono::milliseconds(limitMs));
}
