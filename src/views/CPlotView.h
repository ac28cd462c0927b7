// The live plot view ("Wykres"): engine speed, the first injector channel's
// petrol and LPG times, both pressures, the reducer's temperature and the
// lambda voltage against time, over a window of 10 s to 5 min. Each channel
// can be hidden and has its own scale, whose range the fitter can change;
// Pause freezes the picture while the records go on coming, and the cursor
// reads every shown channel at one record.
// The view takes what the reader put in the document's live history at each
// display tick, so it misses no record between two ticks, and on opening it
// shows the minutes already held.
// Thread safety: the user-interface thread only.
#pragma once

#include <array>

#include <QString>

#include "app/CMainMenuView.h"
#include "data/CPlotSeries.h"
#include "views/CPlotChart.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class CPlotView : public CMainMenuView {
    Q_OBJECT
public:
    // The windows offered, in seconds; the view opens on one minute.
    static constexpr std::array<int, 5> SPANS = {10, 30, 60, 120, 300};
    static constexpr int FIRST_SPAN = 2;

    // Sized as the upper pane on this screen. Connect titleChanged, then
    // call refreshControls.
    explicit CPlotView(CAutrelDoc& doc, QWidget* parent = nullptr);

    // A display tick: the records that came since the last one, unless paused.
    void onDiagRecord(const diag_t&) override { takeRecords(); }
    void refreshControls() override;

    void takeRecords();
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    // Index into SPANS.
    void setSpan(int index);
    void showChannel(int channel, bool shown);
    void setRange(int channel, double min, double max);
    void restoreRanges();

    CPlotChart& chart() { return *m_chart; }
    const CPlotSeries& series() const { return m_series; }
    // What the readout shows: the time line and each channel's value text
    // (empty for a hidden channel).
    QString readoutTime() const;
    QString readoutValue(int channel) const;

signals:
    void titleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CPlotChart::SRange range(int channel) const;
    void layOut();
    void applyTexts();
    void showRangeOf(int channel);
    void showReadout();

    CPlotSeries m_series;
    CPlotChart* m_chart;
    QLabel* m_spanLabel;
    QComboBox* m_span;
    QPushButton* m_pause;
    QPushButton* m_defaults;
    QLabel* m_time;
    std::array<QLabel*, 2 * 4> m_headers{};
    std::array<QCheckBox*, PLOT_CHANNELS> m_shown{};
    std::array<QDoubleSpinBox*, PLOT_CHANNELS> m_min{};
    std::array<QDoubleSpinBox*, PLOT_CHANNELS> m_max{};
    std::array<QLabel*, PLOT_CHANNELS> m_value{};
    bool m_paused = false;
};
