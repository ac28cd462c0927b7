#include "app/CPlaybackBar.h"

#include <chrono>
#include <cmath>

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include "data/CLiveSource.h"
#include "lang/Translation.h"

namespace {

QString text(const char* polish)
{
    return QString::fromStdString(translate(polish));
}

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The scrubber moves in records; a recording of hours still fits an int.
int sliderValue(double seconds)
{
    return static_cast<int>(std::lround(seconds * CPlayback::RECORDS_PER_SECOND));
}

} // namespace

CPlaybackBar::CPlaybackBar(CLiveSource& target, CPlayback playback, const std::string& name,
                           FClock clock, QWidget* parent)
    : QToolBar(parent), m_target(target), m_playback(std::move(playback)), m_name(name),
      m_clock(clock ? std::move(clock) : FClock(steadySeconds))
{
    setObjectName("playback");
    setMovable(false);
    setFloatable(false);

    m_play = new QToolButton(this);
    m_play->setObjectName("play");
    connect(m_play, &QToolButton::clicked, this, &CPlaybackBar::togglePlay);
    addWidget(m_play);

    m_speed = new QComboBox(this);
    m_speed->setObjectName("speed");
    for (const double s : CPlayback::SPEEDS)
        m_speed->addItem(QString::number(s) + QString::fromUtf8("×"), s);
    m_speed->setCurrentIndex(m_speed->findData(1.0));
    connect(m_speed, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing && index >= 0)
            setSpeed(m_speed->itemData(index).toDouble());
    });
    addWidget(m_speed);

    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName("position");
    m_position->setRange(0, sliderValue(m_playback.totalSeconds()));
    m_position->setPageStep(sliderValue(10));
    connect(m_position, &QSlider::valueChanged, this, [this](int value) {
        if (!m_showing)
            seek(value / CPlayback::RECORDS_PER_SECOND);
    });
    addWidget(m_position);

    m_time = new QLabel(this);
    m_time->setObjectName("time");
    // Room for "h:mm:ss / h:mm:ss", so the scrubber does not jump as digits come.
    m_time->setMinimumWidth(m_time->fontMetrics().horizontalAdvance("00:00:00 / 00:00:00"));
    m_time->setAlignment(Qt::AlignCenter);
    addWidget(m_time);

    m_title = new QLabel(this);
    m_title->setObjectName("name");
    addWidget(m_title);

    m_close = new QToolButton(this);
    m_close->setObjectName("close");
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(m_close, &QToolButton::clicked, this, &CPlaybackBar::closeRequested);
    addWidget(m_close);

    m_feed.setInterval(FEED_PERIOD_MS);
    connect(&m_feed, &QTimer::timeout, this, &CPlaybackBar::tick);

    m_playback.play(now());
    applyTexts();
    tick();
}

void CPlaybackBar::tick()
{
    const SPlaybackStep step = m_playback.advance(now());
    m_playback.feed(step, m_target.m_diagData, m_target.m_history);
    showState();
    // Paused or at the end nothing falls due; a press or a seek steps anew.
    if (!m_playback.playing())
        m_feed.stop();
    else if (!m_feed.isActive())
        m_feed.start();
}

void CPlaybackBar::togglePlay()
{
    if (m_playback.playing())
        m_playback.pause(now());
    else
        m_playback.play(now());
    tick();
}

void CPlaybackBar::setSpeed(double speed)
{
    m_playback.setSpeed(speed, now());
    showState();
}

void CPlaybackBar::seek(double seconds)
{
    m_playback.seek(seconds, now());
    tick();
}

void CPlaybackBar::showState()
{
    m_showing = true;
    const double at = m_playback.position(now());
    if (!m_position->isSliderDown())
        m_position->setValue(sliderValue(at));
    const int speed = m_speed->findData(m_playback.speed());
    if (speed >= 0)
        m_speed->setCurrentIndex(speed);
    m_time->setText(QString::fromStdString(playbackTimeText(at) + " / " +
                                           playbackTimeText(m_playback.totalSeconds())));
    const bool playing = m_playback.playing();
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_play->setToolTip(text(playing ? "Pauza" : "Odtwarzaj"));
    m_play->setAccessibleName(m_play->toolTip());
    m_showing = false;
}

void CPlaybackBar::applyTexts()
{
    const QString title = QString::fromStdString(translateFill("Odtwarzanie: %1", {m_name}));
    setWindowTitle(title);
    m_title->setText(title);
    m_speed->setToolTip(text("Prędkość odtwarzania"));
    m_speed->setAccessibleName(m_speed->toolTip());
    m_position->setToolTip(text("Położenie w nagraniu"));
    m_position->setAccessibleName(m_position->toolTip());
    m_time->setAccessibleName(text("Czas odtwarzania"));
    m_close->setToolTip(text("Zamknij odtwarzanie"));
    m_close->setAccessibleName(m_close->toolTip());
    showState();
}
