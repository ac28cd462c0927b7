// Per-cylinder injection times: a red petrol bar and a blue LPG bar for each
// cylinder, their times printed under them.
// Thread safety: the user-interface thread only.
#pragma once

#include <vector>

#include <QFont>

#include "controls/CCompCtrl.h"
#include "data/DiagRecord.h"
#include "views/GaugeGeometry.h"

class CInjTimesBarDisplay : public CCompCtrl {
    Q_OBJECT
public:
    explicit CInjTimesBarDisplay(QWidget* parent = nullptr);

    // rect in the owner's coordinates; times in ms. Every bar starts at 0.
    void setup(const QRect& rect, int count, double minimum, double maximum);

    // Ignored for an index or a time outside the range; otherwise stores both
    // times to two decimals and repaints the changed strips and the text.
    void setValues(int index, double petrolMs, double lpgMs);

    int count() const { return static_cast<int>(m_bars.size()); }
    SChannelTimes values(int index) const;
    const std::vector<SBarRects>& layout() const { return m_layout; }
    void retranslate();

protected:
    void eraseBackground(QPainter& p) override;
    void paint(QPainter& p) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    void describe();

    double m_minimum = 0;
    double m_maximum = 30;
    std::vector<SChannelTimes> m_bars;
    std::vector<SBarRects> m_layout;
    QFont m_font;
};
