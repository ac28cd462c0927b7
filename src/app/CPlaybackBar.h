// The bar under the status bar while a recording plays: play/pause, the
// speed, a scrubber with the elapsed and the total time, and close. It binds
// a CPlayback to the controls and hands the records due to the document's
// buffer and history, where the status bar, the gauges and the plot read them
// as they read live data.
// Thread safety: the user-interface thread only.
#pragma once

#include <functional>
#include <string>

#include <QTimer>
#include <QToolBar>

#include "data/CPlayback.h"

class CLiveSource;
class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

class CPlaybackBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int FEED_PERIOD_MS = 40;

    // Seconds of a steady clock; tests give their own.
    using FClock = std::function<double()>;

    // Starts playing at once, at 1x; without a clock, on the steady clock.
    CPlaybackBar(CLiveSource& target, CPlayback playback, const std::string& name,
                 FClock clock = {}, QWidget* parent = nullptr);

    CPlayback& playback() { return m_playback; }
    // One step: the records due now go out and the controls follow.
    void tick();
    void togglePlay();
    // One of CPlayback::SPEEDS.
    void setSpeed(double speed);
    void seek(double seconds);
    void applyTexts();

signals:
    void closeRequested();

private:
    double now() const { return m_clock(); }
    void showState();

    CLiveSource& m_target;
    CPlayback m_playback;
    std::string m_name;
    FClock m_clock;
    QTimer m_feed;
    QToolButton* m_play = nullptr;
    QComboBox* m_speed = nullptr;
    QSlider* m_position = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_title = nullptr;
    QToolButton* m_close = nullptr;
    bool m_showing = false; // the controls are being set, not moved by the fitter
};
