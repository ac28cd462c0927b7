#include "views/CAnalogDisplay.h"

#include "app/CScreenInfo.h"
#include "data/ChannelTimes.h"
#include "data/Conversions.h"
#include "views/CClock.h"
#include "views/CInjTimesBarDisplay.h"
#include "views/CLambdaDisplay.h"
#include "views/GaugeGeometry.h"
#include "views/GaugeRects.h"

namespace {
constexpr int kLeds = 15;
constexpr double kBarMaxMs = 30;
} // namespace

CAnalogDisplay::CAnalogDisplay(QWidget* parent)
    : CCompCtrl(parent), m_tempr(new CTemprLPGClock(this)), m_rpm(new CRPMClock(this)),
      m_press(new CPressClock(this)), m_lambda(new CLambdaDisplay(this)),
      m_bars(new CInjTimesBarDisplay(this))
{
}

void CAnalogDisplay::setup(int injCount)
{
    m_barCount = barCount(injCount);
    layOut(true);
    m_tempr->setValue(0);
    m_rpm->setValue(0);
    m_press->setValue(0);
}

void CAnalogDisplay::showRecord(const diag_t& rec, int injCount, std::uint8_t engineSignalBehavior)
{
    const auto times = barTimes(rec, injCount, engineSignalBehavior);
    for (int i = 0; i < static_cast<int>(times.size()); ++i)
        m_bars->setValues(i, times[i].petrolMs, times[i].lpgMs);
    m_rpm->setValue(displayRpm(recordRpm(rec)));
    m_press->setValue(pressureFromRaw(rec.gasPressure));
    m_tempr->setValue(temperatureFromRaw(rec.lpgTemp));
    m_lambda->setVoltage(byteToVolts(rec.lambda));
}

void CAnalogDisplay::retranslate()
{
    m_tempr->retranslate();
    m_rpm->retranslate();
    m_press->retranslate();
    m_lambda->retranslate();
    m_bars->retranslate();
    update();
}

void CAnalogDisplay::resizeEvent(QResizeEvent*)
{
    layOut(false);
}

void CAnalogDisplay::layOut(bool resetBars)
{
    const CScreenInfo& screen = screenInfo();
    const SPanelLayout l = analogLayout(width(), height(), screen);
    m_tempr->setup(toQRect(l.tempr), l.dialMargin, l.bottomGap, screen.scale());
    m_rpm->setup(toQRect(l.rpm), l.dialMargin, l.bottomGap, screen.scale());
    m_press->setup(toQRect(l.press), l.dialMargin, l.bottomGap, screen.scale());
    m_lambda->setup(toQRect(l.lambda), kLeds, screen.scale());
    if (resetBars)
        m_bars->setup(toQRect(l.bars), m_barCount, 0, kBarMaxMs);
    else
        m_bars->setGeometry(toQRect(l.bars));
}
