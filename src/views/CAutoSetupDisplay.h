// The display panel of the autocalibration view: an engine-speed dial, a
// 9-LED lambda row and the injection-time bars beside the dial.
// Thread safety: the user-interface thread only.
#pragma once

#include <cstdint>

#include "controls/CCompCtrl.h"
#include "data/DiagRecord.h"

class CRPMClock;
class CLambdaDisplay;
class CInjTimesBarDisplay;

class CAutoSetupDisplay : public CCompCtrl {
    Q_OBJECT
public:
    explicit CAutoSetupDisplay(QWidget* parent = nullptr);

    // Lays the gauges out over the panel's size with one bar per injector
    // (4 when none is reported) and sets the dial to 0.
    void setup(int injCount);
    // Shows a live record; channels repeat as the petrol injection mode says.
    void showRecord(const diag_t& rec, int injCount, std::uint8_t engineSignalBehavior);
    void retranslate();

    CRPMClock& rpmClock() { return *m_rpm; }
    CLambdaDisplay& lambda() { return *m_lambda; }
    CInjTimesBarDisplay& bars() { return *m_bars; }

protected:
    void paint(QPainter&) override {}
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut(bool resetBars);

    int m_barCount = 4;
    CRPMClock* m_rpm;
    CLambdaDisplay* m_lambda;
    CInjTimesBarDisplay* m_bars;
};
