#include "data/CDiagInputThread.h"

#include <chrono>
#include <memory>
#include <thread>

#include "data/DiagRecord.h"
#include "errors/IError.h"
#include "link/CGasDevice.h"
#include "msglib/CLPGThreadManager.h"

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

CDiagRSThread::CDiagRSThread(CGasDevice& device, std::string recording)
    : CDiagInputThread(device.m_diagData, std::move(recording), device.m_runFlag), m_device(device)
{
    ++m_device.m_liveReaders;
    if (m_recording != NO_RECORDING)
        m_file.open(m_recording, true);
}

CDiagRSThread::~CDiagRSThread()
{
    m_file.close();
    --m_device.m_liveReaders;
}

void CDiagRSThread::onStart()
{
    if (!m_device.isDemo())
        m_device.serialPort().purgeIn();
    m_data.clear();
}

void CDiagRSThread::onStop()
{
    m_file.close();
}

int CDiagRSThread::readRecord(diag_t& rec)
{
    const int result = m_device.readDiag(rec);
    // Fuel-in-use codes above LPG are LPG variants the views do not tell apart.
    if (result == 0 && (rec.fuel == 4 || rec.fuel == 5))
        rec.fuel = FUEL_LPG;
    return result;
}

void CDiagRSThread::processRecord(const diag_t& rec)
{
    diag_t kept = rec;
    if (petrolTimeMs(kept.channels[0].petrolA) < DIAG_MIN_PETROL_MS)
        kept.channels[0].petrolA = 0;
    if (m_file.isOpen())
        m_file.write(kept);
    m_data.add(kept);
}

void CDiagRSThread::lostLink()
{
    m_device.setConnected(false);
    m_device.shell().linkLost();
}

bool CDiagRSThread::lineFailed()
{
    return m_device.isDemo() ? false : m_device.serialPort().clearCommError() != 0;
}

bool startLive(CGasDevice& device, const std::string& recording)
{
    if (!device.linkTestOk() && !device.isDemo()) {
        device.m_runFlag.store(0);
        return false;
    }
    device.m_runFlag.store(1);
    threadManager().addThread(new CDiagRSThread(device, recording));
    return true;
}

bool stopLive(CGasDevice& device, std::uint32_t limitMs)
{
    device.m_runFlag.store(0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (device.m_liveReaders.load() > 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
