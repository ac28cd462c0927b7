// The lambda probe's voltage as one lit LED in a row running from lean to
// rich mixture, scaled by the probe type of the settings.
// Thread safety: the user-interface thread only.
#pragma once

#include <vector>

#include <QFont>

#include "controls/CCompCtrl.h"
#include "views/GaugeGeometry.h"

class CLambdaDisplay : public CCompCtrl {
    Q_OBJECT
    Q_PROPERTY(double reading READ voltage)
public:
    explicit CLambdaDisplay(QWidget* parent = nullptr);

    // rect in the owner's coordinates; textScale for the gaps and the font.
    void setup(const QRect& rect, int ledCount, double textScale);

    // Does nothing while the voltage rounds to the stored tenth and the
    // probe type stays; otherwise repaints the LED that goes out and the
    // one that lights.
    void setVoltage(double volts);
    double voltage() const { return m_voltage; }
    int litLed() const { return m_lit; }
    int ledCount() const { return m_count; }
    QRect ledRect(int index) const;
    void retranslate();

protected:
    void paint(QPainter& p) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    void describe();

    int m_count = 15;
    double m_textScale = 1;
    double m_voltage = 0; // rounded to a tenth
    int m_type = 0;
    int m_lit = 0;
    std::vector<SRect> m_leds;
    QFont m_font;
    QString m_lean;
    QString m_rich;
};
