// The gauge panel of the display view: temperature, engine-speed and
// pressure dials, a 15-LED lambda row and the injection-time bars.
// Thread safety: the user-interface thread only.
#pragma once

#include <cstdint>

#include "controls/CCompCtrl.h"
#include "data/DiagRecord.h"

class CRPMClock;
class CTemprLPGClock;
class CPressClock;
class CLambdaDisplay;
class CInjTimesBarDisplay;

class CAnalogDisplay : public CCompCtrl {
    Q_OBJECT
public:
    explicit CAnalogDisplay(QWidget* parent = nullptr);

    // Lays the gauges out over the panel's size with one bar per injector
    // (4 when none is reported) and sets the dials to 0.
    void setup(int injCount);
    // Shows a live record; channels repeat as the petrol injection mode says.
    void showRecord(const diag_t& rec, int injCount, std::uint8_t engineSignalBehavior);
    void retranslate();

    CRPMClock& rpmClock() { return *m_rpm; }
    CTemprLPGClock& temprClock() { return *m_tempr; }
    CPressClock& pressClock() { return *m_press; }
    CLambdaDisplay& lambda() { return *m_lambda; }
    CInjTimesBarDisplay& bars() { return *m_bars; }

protected:
    void paint(QPainter&) override {}
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut(bool resetBars);

    int m_barCount = 4;
    CTemprLPGClock* m_tempr;
    CRPMClock* m_rpm;
    CPressClock* m_press;
    CLambdaDisplay* m_lambda;
    CInjTimesBarDisplay* m_bars;
};
