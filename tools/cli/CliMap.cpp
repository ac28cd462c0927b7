// map: records a drive into the injection map, computes the correction table
// from it and, when asked, writes it.

#include "CliContext.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "CliJson.h"
#include "CliStop.h"
#include "calib/MapCorrection.h"
#include "data/CDiagInputThread.h"
#include "lang/Translation.h"
#include "msglib/Sleep.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kPollMs = 20;
// As in monitor: a batch this large means the line outpaces the polling.
constexpr std::size_t kBusyBatch = 64;
constexpr std::uint32_t kStopLimitMs = 3000;
// The reader's first record: a few read time-outs at most on a live link.
constexpr auto kFirstRecordLimit = std::chrono::seconds(3);

double rounded(double x, double unit)
{
    return std::round(x / unit) * unit;
}

std::string fixed(double x, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, x);
    return text;
}

std::string tableKey(int k)
{
    return "m_setupTimes[" + std::to_string(k) + "]";
}

std::string oneLine(std::string text)
{
    for (char& ch : text)
        if (ch == '\n')
            ch = ' ';
    return text;
}

class CMapDrive {
public:
    explicit CMapDrive(SCliContext& c) : m_c(c) {}

    int run();

private:
    bool finished() const
    {
        return cliStopRequested() || Clock::now() >= m_deadline ||
               (m_c.opt.count && m_records >= *m_c.opt.count);
    }
    // Bins what the reader has gathered; how many records it took.
    std::size_t drain();
    // Waits for the reader's first records into m_batch; the newest of them
    // is the one the vacuum sensor is judged by.
    bool firstRecords();
    void record(const diag_t& rec);
    void printText(const SMapCorrection& result, bool written) const;
    void printJson(const SMapCorrection& result, bool written, int rc,
                   const std::string& failure) const;

    SCliContext& m_c;
    CMapRecorder m_map;
    Clock::time_point m_deadline;
    std::vector<diag_t> m_batch;
    std::uint64_t m_records = 0;
};

void CMapDrive::record(const diag_t& rec)
{
    if (m_c.opt.count && m_records >= *m_c.opt.count)
        return;
    m_map.add(rec);
    ++m_records;
}

std::size_t CMapDrive::drain()
{
    m_batch.clear();
    const std::size_t n = m_c.device.m_diagData.takeAll(m_batch);
    for (const diag_t& rec : m_batch)
        record(rec);
    return n;
}

bool CMapDrive::firstRecords()
{
    const auto until = Clock::now() + kFirstRecordLimit;
    while (!cliStopRequested() && Clock::now() < until) {
        m_batch.clear();
        if (m_c.device.m_diagData.takeAll(m_batch) > 0)
            return true;
        if (m_c.shell.linkWasLost() || m_c.device.m_liveReaders.count() == 0)
            return false;
        sleepMs(kPollMs);
    }
    return false;
}

int CMapDrive::run()
{
    if (!cliSettingsTrusted(m_c))
        return CLI_FAILED;
    CCliStopScope acceptStop;
    m_c.shell.clearLinkLost();
    if (!startLive(m_c.device))
        return cliFail(
            m_c, CLI_FAILED,
            translate("sterownik nie przeszedł testu połączenia; brak danych bieżących"));
    if (!firstRecords()) {
        stopLive(m_c.device, kStopLimitMs);
        return cliFail(m_c, CLI_FAILED, translate("sterownik nie przysłał danych bieżących"));
    }
    if (!m_map.start(m_batch.back())) {
        stopLive(m_c.device, kStopLimitMs);
        return cliFail(m_c, CLI_FAILED, oneLine(translate(MAP_SENSOR_MISSING_TEXT)));
    }
    // The records that came with it are part of the drive already.
    for (const diag_t& rec : m_batch)
        record(rec);
    m_deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(*m_c.opt.seconds));

    bool linked = true;
    while (!finished()) {
        const std::size_t n = drain();
        const bool readerGone = m_c.device.m_liveReaders.count() == 0;
        if (m_c.shell.linkWasLost() || readerGone) {
            stopLive(m_c.device, kStopLimitMs);
            drain();
            linked = cliResumeLive(m_c, [this] { return finished(); });
            continue;
        }
        if (n < kBusyBatch)
            sleepMs(kPollMs);
    }
    const bool stopped = stopLive(m_c.device, kStopLimitMs);
    drain();
    m_map.stop();

    const SMapCorrection result = computeMapCorrection(m_map.bins(), m_c.device.m_setupTimes);
    if (!result.measuredAny())
        m_c.err << "nimo-cli: "
                << translate("żaden przedział nie zebrał ponad 10 próbek na obu paliwach; "
                             "tablica korekt pozostaje bez zmian")
                << std::endl;
    STransferOutcome outcome;
    // A reader that would not stop still holds the line: no write then.
    const bool write = m_c.opt.write && linked && stopped;
    std::string backup;
    if (write)
        outcome = writeMapCorrection(m_c.device, result, &backup);
    const bool written = write && outcome.ok();
    cliBackupNote(m_c, backup);

    // The drive is printed whatever went wrong after it, so that it is never
    // lost; with --json the failure joins the same object.
    int rc = CLI_OK;
    std::string failure;
    if (!linked) {
        rc = CLI_NO_DEVICE;
        failure = translate("do końca nie udało się odzyskać połączenia ze sterownikiem");
    } else if (!stopped) {
        rc = CLI_FAILED;
        failure = translate("odczyt danych bieżących nie zatrzymał się na czas");
    } else if (write && !outcome.ok()) {
        rc = CLI_FAILED;
        failure = outcome.message;
    }
    if (m_c.opt.json)
        printJson(result, written, rc, failure);
    else
        printText(result, written);
    if (rc != CLI_OK)
        cliFailure(m_c.out, m_c.err, false, rc, failure);
    return rc;
}

void CMapDrive::printText(const SMapCorrection& r, bool written) const
{
    std::ostream& out = m_c.out;
    out << "records\t" << m_records << "\nsamples\t" << m_map.samples() << "\n\n";
    out << "bin\tvacuum_kpa\tpetrol_n\tpetrol_ms\tlpg_n\tlpg_ms\tdiff_pct\tslot\n";
    for (int b = 0; b < MAP_BINS; ++b) {
        const CMapBin& petrol = m_map.bin(MAP_PETROL, b);
        const CMapBin& lpg = m_map.bin(MAP_LPG, b);
        if (petrol.count() == 0 && lpg.count() == 0)
            continue;
        const SMapBinUse& use = r.m_bins[b];
        auto mean = [](const CMapBin& bin) {
            return bin.count() ? fixed(bin.mean(), 3) : std::string("-");
        };
        out << b << '\t' << 2 * b << '-' << 2 * b + 2 << '\t' << petrol.count() << '\t'
            << mean(petrol) << '\t' << lpg.count() << '\t' << mean(lpg) << '\t'
            << (use.used() ? fixed(use.m_diffPct, 2) : "-") << '\t'
            << (use.used() ? std::to_string(use.m_slot) : "-") << '\n';
    }
    out << "\nslot\tpetrol_ms\tbins\tmeasured_pct\tcorrection_pct\tbefore\tafter\n";
    for (int k = 0; k < MAP_SLOTS; ++k) {
        const bool measured = r.m_slotBins[k] > 0;
        out << k << '\t' << k << '-' << k + 1 << '\t' << r.m_slotBins[k] << '\t'
            << (measured ? fixed(r.m_measured[k], 2) : "-") << '\t' << fixed(r.m_corrections[k], 2)
            << '\t' << jsonNumber(r.m_before[k]) << '\t' << jsonNumber(r.m_after[k]) << '\n';
    }
    if (written)
        out << translate("zapisano nową tablicę korekt w sterowniku") << '\n';
    out.flush();
}

void CMapDrive::printJson(const SMapCorrection& r, bool written, int rc,
                          const std::string& failure) const
{
    auto fuel = [](const CMapBin& bin, double used) {
        return CJsonObject()
            .number("count", static_cast<double>(bin.count()))
            .number("mean_ms", rounded(bin.mean(), 0.001))
            .number("used_ms", rounded(used, 0.001))
            .str();
    };
    std::vector<std::string> bins;
    for (int b = 0; b < MAP_BINS; ++b) {
        const SMapBinUse& use = r.m_bins[b];
        bins.push_back(
            CJsonObject()
                .number("bin", b)
                .number("vacuum_kpa", 2 * b)
                .raw("petrol", fuel(m_map.bin(MAP_PETROL, b), use.m_petrolMs))
                .raw("lpg", fuel(m_map.bin(MAP_LPG, b), use.m_lpgMs))
                .raw("diff_pct", use.used() ? jsonNumber(rounded(use.m_diffPct, 0.01)) : "null")
                .raw("slot", use.used() ? jsonNumber(use.m_slot) : "null")
                .str());
    }
    std::vector<std::string> slotBins, measured, corrections;
    CJsonObject before, after;
    for (int k = 0; k < MAP_SLOTS; ++k) {
        slotBins.push_back(jsonNumber(r.m_slotBins[k]));
        measured.push_back(r.m_slotBins[k] > 0 ? jsonNumber(rounded(r.m_measured[k], 0.01))
                                               : "null");
        corrections.push_back(jsonNumber(rounded(r.m_corrections[k], 0.01)));
        before.number(tableKey(k), r.m_before[k]);
        after.number(tableKey(k), r.m_after[k]);
    }
    CJsonObject o;
    o.number("records", static_cast<double>(m_records))
        .number("samples", static_cast<double>(m_map.samples()))
        .raw("bins", jsonArray(bins))
        .raw("slot_bins", jsonArray(slotBins))
        .raw("measured_pct", jsonArray(measured))
        .raw("corrections_pct", jsonArray(corrections))
        .raw("before", before.str())
        .raw("after", after.str())
        .boolean("written", written);
    if (rc != CLI_OK)
        o.text("error", failure).number("exit", rc);
    m_c.out << o.str() << std::endl;
}

} // namespace

std::string checkMap(const SCliOptions& opt)
{
    if (!opt.seconds)
        return translate("użycie: ") + "nimo-cli map --seconds S [--count N] [--write]";
    return {};
}

int cmdMap(SCliContext& c)
{
    resetCliStop();
    CMapDrive drive(c);
    return drive.run();
}
