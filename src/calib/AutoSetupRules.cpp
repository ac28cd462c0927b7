#include "calib/AutoSetupRules.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "data/ChannelTimes.h"
#include "data/Conversions.h"
#include "lang/Translation.h"

namespace {

// Settling waits: petrol and LPG before the pressure is taken, then both in
// each of the three passes; averaging batches: the pressure and two per pass.
constexpr int kSettleWaits = 2 + 2 * AUTOSETUP_PASSES;
constexpr int kAverageBatches = 1 + 2 * AUTOSETUP_PASSES;
constexpr int kSpareRecords = 15;
// The procedure shows 99 % and 100 % itself once the last write is under way.
constexpr int kWaitPercentMax = 98;
// A difference whose distance from the reference is ten times the reference
// or more is taken for a disturbed pass.
constexpr double kRejectRatio = 10;

std::string tr(const char* polish)
{
    return translate(polish);
}

} // namespace

std::string correctionNumber(double ms)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << ms;
    return out.str();
}

SFirstPass firstPassCorrection(double k0, double d0)
{
    SFirstPass r;
    double k = tickGrid(k0 + d0);
    if (k == 0)
        k = 0; // a box never shows "-0"
    const std::string range = tr("Poprawki powinny być z zakresu od 0.5ms do 3ms.");
    if (k < CORR_MIN_MS) {
        r.box = EFirstPassBox::Error;
        r.text = tr("Wyliczono zbyt małą poprawkę.") + "\n" + range + "\n" +
                 tr("Aby poprawnie ustawić sterownik spróbuj wykonać nastepujące czynności:") +
                 "\n" + tr("-zmienić wtryskiwacze na mniejsze lub ") + "\n" +
                 tr("-obniżyć ciśnienie reduktora") + "\n";
        r.corr = k;
        return r;
    }
    if (k > CORR_MAX_MS) {
        k = CORR_MAX_MS;
        r.box = EFirstPassBox::Warning;
        r.text = tr("Wyliczona poprawka: ") + correctionNumber(k) + tr(" ms jest za duża.") + "\n" +
                 range + "\n" + tr("Należy zmienić wtryskiwacze na większe.");
    } else if (k < CORR_ADVISED_MIN_MS || k > CORR_ADVISED_MAX_MS) {
        r.box = EFirstPassBox::Warning;
        r.text = tr("Wyliczona poprawka: ") + correctionNumber(k) + tr(" ms") +
                 tr(" nie mieści się w zalecanym zakresie od 0.5ms do 3ms.") + "\n" +
                 tr(k < CORR_ADVISED_MIN_MS ? "Zalecana jest zmiana wtryskiwaczy na mniejsze."
                                            : "Zalecana jest zmiana wtryskiwaczy na większe.");
    }
    r.corr = tickGrid(k);
    return r;
}

double referenceDifference(const std::array<double, AUTOSETUP_PASSES>& sorted)
{
    // The median rather than the mean: one pass disturbed by a load switched
    // on or a wandering engine speed drags the mean toward itself, so the
    // yardstick meant to find that pass would be bent by it. The median is
    // always one of the measured differences and ignores a single outlier
    // whichever side it lies on. It also keeps the filter from rejecting
    // everything when good passes straddle zero: their mean is then close to
    // 0 and every difference looks ten times too far from it.
    return sorted[AUTOSETUP_PASSES / 2];
}

std::vector<double> keptDifferences(std::array<double, AUTOSETUP_PASSES> d)
{
    std::sort(d.begin(), d.end());
    const double r = referenceDifference(d);
    std::vector<double> kept;
    for (double x : d) {
        if (r == 0 || std::fabs(std::trunc((r - x) / r)) < kRejectRatio)
            kept.push_back(x);
    }
    return kept;
}

std::optional<double> finalCorrection(double corr, const std::array<double, AUTOSETUP_PASSES>& d)
{
    const std::vector<double> kept = keptDifferences(d);
    if (kept.empty())
        return std::nullopt;
    double sum = 0;
    for (double x : kept)
        sum += x;
    return std::clamp(tickGrid(corr + sum / static_cast<double>(kept.size())), CORR_MIN_MS,
                      CORR_MAX_MS);
}

std::optional<double> steppedCorrection(double shown, int delta)
{
    const double next = tickGrid(shown - delta * CORR_STEP_MS);
    if (next < CORR_MIN_MS || next > CORR_MAX_MS)
        return std::nullopt;
    return next;
}

int progressDenominator(int settleRecords, int averageRecords)
{
    return kSettleWaits * settleRecords + kAverageBatches * averageRecords + kSpareRecords;
}

int progressPercent(std::size_t seen, int denominator)
{
    if (denominator <= 0)
        return 0;
    const double percent = roundWhole(static_cast<double>(seen) * 100.0 / denominator);
    return static_cast<int>(std::clamp(percent, 0.0, static_cast<double>(kWaitPercentMax)));
}

SSampleMeans sampleMeans(const std::vector<diag_t>& records, int channels)
{
    SSampleMeans m;
    if (records.empty())
        return m;
    double timeSum = 0;
    std::size_t timeCount = 0;
    double pressureSum = 0;
    double voltsSum = 0;
    const int measured = std::clamp(channels, 0, static_cast<int>(DIAG_CHANNELS));
    for (const diag_t& rec : records) {
        for (int j = 0; j < measured; ++j) {
            const double t = shownChannelTimes(rec.channels[j]).petrolMs;
            if (t > MEASURED_PETROL_MIN_MS) {
                timeSum += t;
                ++timeCount;
            }
        }
        pressureSum += pressureFromRaw(rec.gasPressure);
        voltsSum += supplyFromRaw(rec.supply);
    }
    const auto n = static_cast<double>(records.size());
    if (timeCount > 0)
        m.petrolMs = timeSum / static_cast<double>(timeCount);
    m.gasKpa = pressureSum / n;
    m.supplyV = voltsSum / n;
    return m;
}
