#include "views/CAutoSetupDisplay.h"

#include "app/CScreenInfo.h"
#include "data/ChannelTimes.h"
#include "data/Conversions.h"
#include "views/CClock.h"
#include "views/CInjTimesBarDisplay.h"
#include "views/CLambdaDisplay.h"
#include "views/GaugeGeometry.h"
#include "views/GaugeRects.h"

namespace {
constexpr int kLeds = 9;
constexpr double kBarMaxMs = 30;
} // namespace

CAutoSetupDisplay::CAutoSetupDisplay(QWidget* parent)
    : CCompCtrl(parent), m_rpm(new CRPMClock(this)), m_lambda(new CLambdaDisplay(this)),
      m_bars(new CInjTimesBarDisplay(this))
{
}

void CAutoSetupDisplay::setup(int injCount)
{
    m_barCount = barCount(injCount);
    layOut(true);
    m_rpm->setValue(0);
}

void CAutoSetupDisplay::showRecord(const diag_t& rec, int injCount,
                                   std::uint8_t engineSignalBehavior)
{
    const auto times = barTimes(rec, injCount, engineSignalBehavior);
    for (int i = 0; i < static_cast<int>(times.size()); ++i)
        m_bars->setValues(i, times[i].petrolMs, times[i].lpgMs);
    m_rpm->setValue(displayRpm(recordRpm(rec)));
    m_lambda->setVoltage(byteToVolts(rec.lambda));
}

void CAutoSetupDisplay::retranslate()
{
    m_rpm->retranslate();
    m_lambda->retranslate();
    m_bars->retranslate();
    update();
}

void CAutoSetupDisplay::resizeEvent(QResizeEvent*)
{
    layOut(false);
}

void CAutoSetupDisplay::layOut(bool resetBars)
{
    const CScreenInfo& screen = screenInfo();
    const SPanelLayout l = autoSetupLayout(width(), height(), screen);
    m_rpm->setup(toQRect(l.rpm), l.dialMargin, l.bottomGap, screen.scale());
    m_lambda->setup(toQRect(l.lambda), kLeds, screen.scale());
    if (resetBars)
        m_bars->setup(toQRect(l.bars), m_barCount, 0, kBarMaxMs);
    else
        m_bars->setGeometry(toQRect(l.bars));
}
