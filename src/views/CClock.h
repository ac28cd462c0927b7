// Round dials with a needle: engine speed, LPG temperature and gas pressure.
// The needle's travel is limited to the scale; the number in the value box
// is the value itself, so a reading beyond the scale is never hidden.
// Thread safety: the user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <QFont>
#include <QPixmap>

#include "controls/CCompCtrl.h"
#include "views/GaugeGeometry.h"

struct SDialLabel {
    double value = 0;
    std::string text;
};

// What sets one kind of dial apart from another.
struct SDialScale {
    const char* caption = ""; // Polish, translated when shown
    double minimum = 0;
    double maximum = 1;
    std::vector<SDialLabel> labels;
    int minorTicks = 1; // divisions between two labels
    double redFrom = 0; // start of the red zone; none when not above minimum
};

class CClock : public CCompCtrl {
    Q_OBJECT
    Q_PROPERTY(double reading READ reading)
    Q_PROPERTY(double readingMinimum READ minimum)
    Q_PROPERTY(double readingMaximum READ maximum)
public:
    // rect in the owner's coordinates; margin between the needle's reach and
    // the edge and the scale's open bottom gap in pixels; textScale for fonts.
    void setup(const QRect& rect, int margin, int bottomGap, double textScale);

    // Does nothing for the current value; otherwise repaints the old needle,
    // the new one and the value box.
    void setValue(double value);
    double value() const { return m_value; }
    // The value as the value box shows it.
    double reading() const;
    double minimum() const { return m_scale.minimum; }
    double maximum() const { return m_scale.maximum; }
    QString valueText() const;
    QString caption() const { return m_caption; }
    // Takes up the current language.
    void retranslate();

    const SDialGeometry& needleGeometry() const { return m_geom; }
    QRect valueRect() const;

protected:
    CClock(QWidget* parent, SDialScale scale);

    void paint(QPainter& p) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    void drawFace();

    SDialScale m_scale;
    SDialGeometry m_geom;
    SRect m_box;
    int m_margin = DIAL_MARGIN;
    int m_bottomGap = DIAL_BOTTOM_GAP;
    double m_textScale = 1;
    double m_value;
    QString m_caption;
    QFont m_captionFont;
    QFont m_valueFont;
    QFont m_labelFont;
    // Everything but the needle and the number, drawn once per size and language.
    QPixmap m_face;
};

class CRPMClock : public CClock {
    Q_OBJECT
public:
    explicit CRPMClock(QWidget* parent = nullptr);
};

class CTemprLPGClock : public CClock {
    Q_OBJECT
public:
    explicit CTemprLPGClock(QWidget* parent = nullptr);
};

class CPressClock : public CClock {
    Q_OBJECT
public:
    explicit CPressClock(QWidget* parent = nullptr);
};
