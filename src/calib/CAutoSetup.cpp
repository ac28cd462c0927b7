#include "calib/CAutoSetup.h"

#include <exception>
#include <limits>
#include <memory>
#include <vector>

#include "data/ChannelTimes.h"
#include "data/Conversions.h"
#include "errors/IError.h"
#include "lang/Translation.h"
#include "link/CGasDevice.h"
#include "link/SettingsTransfer.h"

namespace {

constexpr const char* kReadFailed = "Błąd - Nie powiodło się wczytanie ustawień z urządzenia!";
constexpr const char* kWriteFailed = "Błąd - Nie powiodło się wpisanie ustawień do urządzenia!";
constexpr const char* kPetrolFailed = "Błąd - Nie można przełączyć na benzynę!";
constexpr const char* kLpgFailed = "Błąd - Nie można przełączyć na LPG!";
constexpr const char* kMountFailed = "Nie powiodło się wpisanie ustawień do urządzenia!";
constexpr const char* kAllRejected =
    "Błąd procedury autoustawiania. Wszystkie wartości średnie zostały odrzucone";

} // namespace

SAutoSetupValues autoSetupValues(const CSettings& s)
{
    return {s.m_mainCorr,    s.m_mainCorr2,      s.m_mainCorr2Mask,
            s.m_pressureRef, s.m_switchPressure, s.m_pressureGain};
}

CAutoSetup::CAutoSetup(CGasDevice& device, IAutoSetupUi& ui, SAutoSetupTiming timing)
    : m_dev(device), m_ui(ui), m_timing(timing)
{
}

int CAutoSetup::settleRecords() const
{
    if (m_timing.settleRecords > 0)
        return m_timing.settleRecords;
    return m_dev.isDemo() ? SETTLE_RECORDS_DEMO : SETTLE_RECORDS;
}

int CAutoSetup::progressDenominator() const
{
    return ::progressDenominator(settleRecords(), m_timing.averageRecords);
}

EAutoSetupEnd CAutoSetup::doWork()
{
    EAutoSetupEnd end = EAutoSetupEnd::Failed;
    try {
        end = run();
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        m_ui.plainBox(translate("Błąd wykonania procedury autoustawiania") + "\n" +
                      "-CAutoSetupView::doWork()" + "\n" + e->description());
    } catch (const std::exception&) {
        m_ui.plainBox(translate("Błąd krytyczny."));
    }
    m_ui.finished();
    m_ui.showProgress(0);
    return end;
}

EAutoSetupEnd CAutoSetup::run()
{
    auto ended = [](EStep step) {
        return step == EStep::Stop ? EAutoSetupEnd::Stopped : EAutoSetupEnd::Failed;
    };
    // Each step either goes on or ends the procedure the way it says.
#define NIMO_STEP(expr)                                                                            \
    do {                                                                                           \
        if (const EStep step_ = (expr); step_ != EStep::Go)                                        \
            return ended(step_);                                                                   \
    } while (false)

    const EStep mount = ensureMountData();
    if (mount == EStep::Stop)
        return EAutoSetupEnd::NoMountData;
    NIMO_STEP(mount);

    m_cumulative = 0;
    m_ui.showProgress(0);
    if (!m_ui.confirm(translate("Ustal stabilne obroty")))
        return EAutoSetupEnd::Stopped;

    if (!m_dev.readSettings())
        return ended(failWith(kReadFailed));
    m_before = autoSetupValues(m_dev);
    const double k0 = m_dev.m_mainCorr;
    m_dev.m_mainCorr2 = m_dev.m_mainCorr;
    m_dev.m_mainCorr2Mask = 0;
    NIMO_STEP(write());
    m_ui.showCorrections();

    NIMO_STEP(petrol());
    NIMO_STEP(waitSamples(settleRecords()));
    NIMO_STEP(lpg());
    NIMO_STEP(waitSamples(settleRecords()));
    SSampleMeans onLpg;
    NIMO_STEP(averageSamples(onLpg));
    m_pressure = onLpg.gasKpa;
    m_dev.m_pressureRef = roundWhole(onLpg.gasKpa);
    m_dev.m_switchPressure = roundWhole(SWITCH_PRESSURE_SHARE * onLpg.gasKpa);
    m_dev.m_pressureGain = 1.0;
    NIMO_STEP(petrol());
    NIMO_STEP(write());

    std::array<double, AUTOSETUP_PASSES> d{};
    for (int k = 0; k < AUTOSETUP_PASSES; ++k) {
        double tp = 0;
        double tg = 0;
        NIMO_STEP(petrol());
        NIMO_STEP(measurePetrol(tp));
        NIMO_STEP(lpg());
        NIMO_STEP(measurePetrol(tg));
        d[k] = tg - tp;
        m_d[k] = d[k];
        if (k != 0)
            continue;
        const SFirstPass first = firstPassCorrection(k0, d[0]);
        if (first.box == EFirstPassBox::Error)
            return ended(fail(first.text));
        if (first.box == EFirstPassBox::Warning)
            m_ui.warningBox(first.text);
        m_dev.m_mainCorr = first.corr;
        NIMO_STEP(write());
        m_ui.showCorrections();
    }

    const std::optional<double> corr = finalCorrection(m_dev.m_mainCorr, d);
    if (!corr)
        return ended(failWith(kAllRejected));
    m_dev.m_mainCorr = *corr;
    m_ui.showProgress(99);
    NIMO_STEP(write());
    m_ui.showCorrections();
    m_ui.showProgress(100);
    m_dev.workAuto(); // the corrections are in; a refused switch costs nothing
    return EAutoSetupEnd::Done;
#undef NIMO_STEP
}

CAutoSetup::EStep CAutoSetup::ensureMountData()
{
    SDevInfo& info = m_dev.m_devInfo;
    if (!info.m_mountDate.empty())
        return EStep::Go;
    SDevInfo asked = info;
    asked.m_mountDate = mountDateText(std::time(nullptr));
    // A workshop name this PC remembers; else the one the controller holds.
    if (std::string stored = m_ui.storedInstallerName(); !stored.empty())
        asked.m_mountService = std::move(stored);
    if (!m_ui.askMountData(asked))
        return EStep::Stop;
    const SDevInfo kept = info;
    info.m_mountDate = asked.m_mountDate;
    info.m_mountService = asked.m_mountService;
    info.m_injSize = asked.m_injSize;
    info.m_engine = asked.m_engine;
    if (const EStep step = backUp(); step != EStep::Go) {
        info = kept;
        return step;
    }
    if (!m_dev.writeMountData()) {
        // Data the controller does not hold must not pass for stored: the
        // next start would skip the question and they would never get there.
        info = kept;
        return failWith(kMountFailed);
    }
    m_ui.storeInstallerName(info.m_mountService);
    return EStep::Go;
}

void CAutoSetup::showProgress(std::size_t waitSeen)
{
    m_ui.showProgress(progressPercent(m_cumulative + waitSeen, progressDenominator()));
}

CAutoSetup::EStep CAutoSetup::waitSamples(int n)
{
    CDiagData& data = m_dev.m_diagData;
    data.clear();
    std::size_t highest = 0;
    const auto wanted = static_cast<std::size_t>(n);
    // At least one round, however fast the records come: the stop check and
    // the window's events must not depend on the line being slow.
    // The count is noted after the sleep too, so that the progress follows a
    // fast line as well as the real one.
    do {
        m_ui.pumpEvents();
        if (!m_ui.running())
            return EStep::Stop;
        highest = std::max(highest, data.count());
        m_ui.sleep(m_timing.pollMs);
        highest = std::max(highest, data.count());
        showProgress(highest);
    } while (highest < wanted);
    m_cumulative += highest;
    return EStep::Go;
}

CAutoSetup::EStep CAutoSetup::averageSamples(SSampleMeans& means)
{
    if (const EStep step = waitSamples(m_timing.averageRecords); step != EStep::Go)
        return step;
    std::vector<diag_t> records;
    m_dev.m_diagData.copyRange(records, 0, std::numeric_limits<std::size_t>::max());
    means = sampleMeans(records, measuredChannelCount());
    return EStep::Go;
}

CAutoSetup::EStep CAutoSetup::measurePetrol(double& ms)
{
    if (const EStep step = waitSamples(settleRecords()); step != EStep::Go)
        return step;
    SSampleMeans means;
    if (const EStep step = averageSamples(means); step != EStep::Go)
        return step;
    if (!means.petrolMs) {
        // Without a petrol time there is nothing to compare; a mean of none
        // would be a division by zero passed off as a correction.
        return fail(translate("Błąd - Nie można pobrać czasu wtr. benzynowego!") + "\n" +
                    translate("Żaden kanał nie pokazał czasu wtrysku benzyny powyżej 0.2 ms; "
                              "sprawdź, czy silnik pracuje i czy sygnały wtryskiwaczy są "
                              "podłączone."));
    }
    ms = *means.petrolMs;
    return EStep::Go;
}

int CAutoSetup::measuredChannelCount() const
{
    return measuredChannels(m_dev.m_devInfo.m_injCount, m_dev.m_engineSignalBehavior);
}

CAutoSetup::EStep CAutoSetup::fail(const std::string& text)
{
    m_ui.errorBox(text);
    return EStep::Fail;
}

CAutoSetup::EStep CAutoSetup::failWith(const char* polish)
{
    return fail(translate(polish));
}

CAutoSetup::EStep CAutoSetup::petrol()
{
    return m_dev.workGas() ? EStep::Go : failWith(kPetrolFailed);
}

CAutoSetup::EStep CAutoSetup::lpg()
{
    return m_dev.workLpg() ? EStep::Go : failWith(kLpgFailed);
}

CAutoSetup::EStep CAutoSetup::backUp()
{
    if (m_backedUp)
        return EStep::Go;
    const STransferOutcome outcome =
        backUpSettings(m_dev, EReplaceOperation::Autocalibration, &m_backupPath);
    if (!outcome.ok())
        return fail(outcome.message);
    m_backedUp = true;
    return EStep::Go;
}

CAutoSetup::EStep CAutoSetup::write()
{
    if (const EStep step = backUp(); step != EStep::Go)
        return step;
    return m_dev.writeSettings() ? EStep::Go : failWith(kWriteFailed);
}
