// monitor and replay: live records as lines, from the controller or from a
// recording.

#include "CliContext.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "CliLiveFormat.h"
#include "CliStop.h"
#include "data/CDiagFile.h"
#include "data/CDiagInputThread.h"
#include "lang/Translation.h"
#include "msglib/Sleep.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPollMs = 20;
// A batch this large means the reader outpaces the polling (a fast line):
// drain again at once so the buffer never reaches its cap and drops records.
constexpr std::size_t kBusyBatch = 64;
// The reconnection timer's period after a lost link.
constexpr std::uint32_t kReconnectMs = 1000;
// A reader is asked to end after its current exchange: one read time-out at most.
constexpr std::uint32_t kStopLimitMs = 3000;

ELiveFormat formatOf(const SCliOptions& opt)
{
    if (opt.json)
        return ELiveFormat::Json;
    return opt.csv ? ELiveFormat::Csv : ELiveFormat::Text;
}

class CMonitor {
public:
    explicit CMonitor(SCliContext& c) : m_c(c), m_format(formatOf(c.opt)) {}

    int run();

private:
    // Prints (and records) what the reader has gathered; false once the
    // count is reached or the output is gone.
    bool drain();
    bool timeUp() const { return m_deadline && Clock::now() >= *m_deadline; }
    bool finished() const { return cliStopRequested() || timeUp() || m_done; }
    // Waits up to ms, in short steps, unless the monitor is to end.
    void pause(std::uint32_t ms) const;
    bool reconnect();
    // The reader writes the recording; a write that failed ends it, and the
    // stream goes on without it.
    void reportRecordingFailure();

    SCliContext& m_c;
    ELiveFormat m_format;
    bool m_recordingFailed = false;
    std::optional<Clock::time_point> m_deadline;
    std::uint64_t m_printed = 0;
    bool m_done = false;
    std::vector<diag_t> m_batch;
    std::size_t m_lastBatch = 0;
};

void CMonitor::pause(std::uint32_t ms) const
{
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (!finished() && Clock::now() < until)
        sleepMs(kPollMs);
}

bool CMonitor::drain()
{
    m_batch.clear();
    m_lastBatch = m_c.device.m_diagData.takeAll(m_batch);
    if (m_lastBatch == 0)
        return !m_done;
    for (const diag_t& rec : m_batch) {
        if (m_done)
            break;
        m_c.out << liveLine(rec, m_format) << '\n';
        ++m_printed;
        if (m_c.opt.count && m_printed >= *m_c.opt.count)
            m_done = true;
    }
    m_c.out.flush();
    if (!m_c.out)
        m_done = true;
    reportRecordingFailure();
    return !m_done;
}

void CMonitor::reportRecordingFailure()
{
    if (m_c.opt.record.empty() || m_recordingFailed)
        return;
    const int failure = m_c.device.m_recorder.state().failure;
    if (failure == 0)
        return;
    m_recordingFailed = true;
    m_c.err << "nimo-cli: " << translate("nie można zapisać nagrania ") << m_c.opt.record << " ("
            << std::strerror(failure) << ")"
            << translate("; nagrywanie przerwane, odczyt trwa dalej") << std::endl;
}

bool CMonitor::reconnect()
{
    return cliResumeLive(m_c, [this] { return finished(); });
}

int CMonitor::run()
{
    // Limited to --count, so the recording holds just the records printed.
    if (!m_c.opt.record.empty()) {
        const std::string& path = m_c.opt.record;
        if (std::string why = recordingTargetProblem(path); !why.empty())
            return cliFail(m_c, CLI_REFUSED, translate("nie można zapisać nagrania ") + why);
        if (const int err = m_c.device.m_recorder.start(path, m_c.opt.count.value_or(0)); err != 0)
            return cliFail(m_c, CLI_REFUSED,
                           translate("nie można zapisać nagrania ") + path +
                               (err > 0 ? std::string(" (") + std::strerror(err) + ")" : ""));
    }
    if (m_c.opt.seconds) {
        m_deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(*m_c.opt.seconds));
    }
    CCliStopScope acceptStop;
    m_c.shell.clearLinkLost();
    if (!startLive(m_c.device)) {
        m_c.device.m_recorder.stop();
        return cliFail(
            m_c, CLI_FAILED,
            translate("sterownik nie przeszedł testu połączenia; brak danych bieżących"));
    }
    if (m_format == ELiveFormat::Text)
        m_c.out << liveHeader(m_format) << std::endl;

    bool linked = true;
    while (!finished()) {
        drain();
        // A reader that is gone without having been asked has lost the link,
        // whether or not it could say so.
        const bool readerGone = m_c.device.m_liveReaders.count() == 0;
        if (!m_done && (m_c.shell.linkWasLost() || readerGone)) {
            stopLive(m_c.device, kStopLimitMs);
            drain();
            if (m_done)
                break;
            linked = reconnect();
            continue;
        }
        if (m_lastBatch < kBusyBatch)
            pause(kPollMs);
    }
    const bool stopped = stopLive(m_c.device, kStopLimitMs);
    // Records that arrived before the reader ended still count, up to --count.
    if (!m_done)
        drain();
    m_c.device.m_recorder.stop();
    reportRecordingFailure();
    // The reader records every record it brings; the output drops the oldest
    // when it falls far behind a fast line, and must not do so unsaid.
    const SRecorderState recorded = m_c.device.m_recorder.state();
    if (!m_c.opt.record.empty() && recorded.failure == 0 && recorded.records > m_printed)
        m_c.err << "nimo-cli: "
                << translateFill("wypisano %1 z %2 nagranych rekordów; wyjście nie nadążało za "
                                 "odczytem",
                                 {std::to_string(m_printed), std::to_string(recorded.records)})
                << std::endl;
    if (!stopped)
        return cliFail(m_c, CLI_FAILED,
                       translate("odczyt danych bieżących nie zatrzymał się na czas"));
    if (!linked)
        return cliFail(m_c, CLI_NO_DEVICE,
                       translate("do końca nie udało się odzyskać połączenia ze sterownikiem"));
    // The stream went on, but what was asked for is not all on the disk.
    if (m_recordingFailed)
        return cliFail(m_c, CLI_FAILED,
                       translateFill("nagranie %1 jest niepełne: zapisano rekordów: %2",
                                     {m_c.opt.record, std::to_string(recorded.records)}));
    return CLI_OK;
}

} // namespace

bool cliResumeLive(SCliContext& c, const std::function<bool()>& finished)
{
    c.err << "nimo-cli: " << translate("Błąd komunikacji")
          << translate(" - utracono połączenie ze sterownikiem, ponowne łączenie...") << std::endl;
    while (!finished()) {
        c.shell.clearLinkLost();
        if (cliReconnect(c) && startLive(c.device)) {
            c.err << "nimo-cli: " << translate("ponownie połączono przez ")
                  << c.device.serialPort().path() << std::endl;
            return true;
        }
        const auto until = Clock::now() + std::chrono::milliseconds(kReconnectMs);
        while (!finished() && Clock::now() < until)
            sleepMs(kPollMs);
    }
    return false;
}

int cmdMonitor(SCliContext& c)
{
    resetCliStop();
    CMonitor monitor(c);
    return monitor.run();
}

int cmdReplay(SCliContext& c)
{
    const std::string& path = c.opt.operands.front();
    std::ostream& out = c.out;
    CDiagFileReader reader;
    if (!reader.open(path))
        return cliFail(c, CLI_REFUSED, reader.file().problem());
    const ELiveFormat format = formatOf(c.opt);
    if (format != ELiveFormat::Json)
        out << liveHeader(format) << '\n';
    diag_t rec{};
    std::uintmax_t records = 0;
    // An output that is gone ends the reading; runCli says why.
    while (out && reader.readRecord(rec) == 0) {
        out << liveLine(rec, format) << '\n';
        ++records;
    }
    out.flush();
    if (!out)
        return CLI_FAILED;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    const std::uintmax_t whole = DIAG_FILE_HEADER + records * DIAG_RECORD_SIZE;
    if (!ec && size > whole)
        c.err << "nimo-cli: " << path << ": "
              << translate("pominięto bajty za ostatnim pełnym rekordem: ") << (size - whole)
              << std::endl;
    return CLI_OK;
}
