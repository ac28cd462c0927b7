#include "views/CPlotView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>

#include "app/CAutrelDoc.h"
#include "data/StatusBarValues.h"
#include "lang/Translation.h"
#include "views/CPlotChart.h"

namespace {

constexpr int ID_CHART = 1400;
constexpr int ID_SPAN_LABEL = 1401;
constexpr int ID_SPAN = 1402;
constexpr int ID_PAUSE = 1403;
constexpr int ID_DEFAULTS = 1404;
constexpr int ID_TIME = 1405;
constexpr int ID_HEADERS = 1406; // four per half
constexpr int ID_SHOWN = 1420;   // one per channel from here on
constexpr int ID_MIN = 1430;
constexpr int ID_MAX = 1440;
constexpr int ID_VALUE = 1450;

// Design layout of the 1024 × 580 upper pane: the controls in a row on top,
// the plot under them over the whole width, and below it the channels in two
// halves of four rows: name, range and the value read out. The last row ends
// 40 pixels short of the pane, which a small screen's toolbar takes.
constexpr int kPaneHeight = 580;
constexpr int kRightMargin = 5;
constexpr int kTopY = 4;
constexpr int kTopHeight = 24;
const QRect kSpanLabel(10, kTopY, 110, kTopHeight);
const QRect kSpan(122, kTopY, 90, kTopHeight);
const QRect kPause(224, kTopY, 120, kTopHeight);
const QRect kDefaults(356, kTopY, 180, kTopHeight);
const QRect kTime(556, kTopY, 300, kTopHeight);
const QRect kChart(0, 32, 1024 - kRightMargin, 380);
constexpr int kHeaderY = 414;
constexpr int kHeaderHeight = 16;
constexpr int kRowY = 432;
constexpr int kRowPitch = 28;
constexpr int kRowHeight = 24;
constexpr int kRows = 4;
constexpr int kHalfWidth = 512;
// Left edge and width of the name, both range ends and the value in a half.
constexpr int kColumnX[4] = {10, 236, 318, 400};
constexpr int kColumnWidth[4] = {220, 78, 78, 100};

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

QRect cell(int channel, int column)
{
    const int x = channel / kRows * kHalfWidth + kColumnX[column];
    return {x, kRowY + channel % kRows * kRowPitch, kColumnWidth[column], kRowHeight};
}

QString spanText(int seconds)
{
    return seconds < 60 ? QStringLiteral("%1 %2").arg(seconds).arg(qs(translate("s")))
                        : QStringLiteral("%1 %2").arg(seconds / 60).arg(qs(translate("min")));
}

} // namespace

CPlotView::CPlotView(CAutrelDoc& doc, QWidget* parent)
    : CMainMenuView(doc, parent), m_chart(new CPlotChart(m_series, this)),
      m_spanLabel(new QLabel(this)), m_span(new QComboBox(this)), m_pause(new QPushButton(this)),
      m_defaults(new QPushButton(this)), m_time(new QLabel(this))
{
    resize(formScreen().width(), formScreen().scaleY(kPaneHeight));
    m_chart->setObjectName(QString::number(ID_CHART));
    m_chart->setScale(formScreen().scale());
    m_spanLabel->setObjectName(QString::number(ID_SPAN_LABEL));
    m_spanLabel->setBuddy(m_span);
    m_span->setObjectName(QString::number(ID_SPAN));
    for (const int seconds : SPANS)
        m_span->addItem(QString(), seconds);
    m_pause->setObjectName(QString::number(ID_PAUSE));
    m_pause->setCheckable(true);
    m_defaults->setObjectName(QString::number(ID_DEFAULTS));
    m_time->setObjectName(QString::number(ID_TIME));
    for (std::size_t i = 0; i < m_headers.size(); ++i) {
        m_headers[i] = new QLabel(this);
        m_headers[i]->setObjectName(QString::number(ID_HEADERS + static_cast<int>(i)));
    }

    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const SPlotChannel& info = plotChannel(c);
        QPalette colored = palette();
        colored.setColor(QPalette::WindowText, CPlotChart::channelColor(c));
        m_shown[i] = new QCheckBox(this);
        m_shown[i]->setObjectName(QString::number(ID_SHOWN + c));
        m_shown[i]->setPalette(colored);
        m_shown[i]->setChecked(true);
        connect(m_shown[i], &QCheckBox::toggled, this, [this, c](bool on) { showChannel(c, on); });
        const int decimals = info.step < 1 ? (info.step < 0.1 ? 2 : 1) : 0;
        const double reach = 10 * (info.max - info.min);
        for (auto* spins : {&m_min, &m_max}) {
            auto* spin = new QDoubleSpinBox(this);
            // A point, as every value in the window has one.
            spin->setLocale(QLocale::c());
            spin->setDecimals(decimals);
            spin->setSingleStep(info.step);
            spin->setRange(info.min - reach, info.max + reach);
            spin->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            spin->setKeyboardTracking(false);
            (*spins)[i] = spin;
        }
        m_min[i]->setObjectName(QString::number(ID_MIN + c));
        m_max[i]->setObjectName(QString::number(ID_MAX + c));
        m_value[i] = new QLabel(this);
        m_value[i]->setObjectName(QString::number(ID_VALUE + c));
        m_value[i]->setPalette(colored);
        m_value[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont bold = m_value[i]->font();
        bold.setBold(true);
        m_value[i]->setFont(bold);
        showRangeOf(c);
        connect(m_min[i], &QDoubleSpinBox::valueChanged, this,
                [this, c](double v) { setRange(c, v, range(c).max); });
        connect(m_max[i], &QDoubleSpinBox::valueChanged, this,
                [this, c](double v) { setRange(c, range(c).min, v); });
    }

    connect(m_span, &QComboBox::currentIndexChanged, this, &CPlotView::setSpan);
    connect(m_pause, &QPushButton::toggled, this, &CPlotView::setPaused);
    connect(m_defaults, &QPushButton::clicked, this, &CPlotView::restoreRanges);
    connect(m_chart, &CPlotChart::cursorMoved, this, &CPlotView::showReadout);
    m_span->setCurrentIndex(FIRST_SPAN);
    setSpan(FIRST_SPAN);
    setFocusProxy(m_chart);
    layOut();
    takeRecords();
}

CPlotChart::SRange CPlotView::range(int channel) const
{
    return m_chart->range(channel);
}

void CPlotView::layOut()
{
    place(m_spanLabel, kSpanLabel);
    place(m_span, kSpan);
    place(m_pause, kPause);
    place(m_defaults, kDefaults);
    place(m_time, kTime);
    place(m_chart, kChart);
    // The plot spans the view, whatever its width.
    m_chart->setGeometry(0, m_chart->y(), std::max(1, width() - kRightMargin), m_chart->height());
    for (std::size_t i = 0; i < m_headers.size(); ++i) {
        const auto half = static_cast<int>(i) / 4;
        const auto column = static_cast<int>(i) % 4;
        place(m_headers[i], QRect(half * kHalfWidth + kColumnX[column], kHeaderY,
                                  kColumnWidth[column], kHeaderHeight));
        m_headers[i]->setAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignBottom
                                               : Qt::AlignRight | Qt::AlignBottom);
    }
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        const auto i = static_cast<std::size_t>(c);
        place(m_shown[i], cell(c, 0));
        place(m_min[i], cell(c, 1));
        place(m_max[i], cell(c, 2));
        place(m_value[i], cell(c, 3));
    }
}

void CPlotView::resizeEvent(QResizeEvent*)
{
    layOut();
}

void CPlotView::refreshControls()
{
    const QString title = qs(translate("Wykres"));
    setWindowTitle(title);
    m_chart->setAccessibleName(title);
    emit titleChanged(title);
    applyTexts();
    showReadout();
}

void CPlotView::applyTexts()
{
    m_spanLabel->setText(qs(translate("Okno czasu")));
    for (int i = 0; i < m_span->count(); ++i)
        m_span->setItemText(i, spanText(SPANS[static_cast<std::size_t>(i)]));
    m_pause->setText(qs(translate("Pauza")));
    m_defaults->setText(qs(translate("Domyślne zakresy")));
    const char* headers[4] = {"Kanał", "Od", "Do", "Wartość"};
    for (std::size_t i = 0; i < m_headers.size(); ++i)
        m_headers[i]->setText(qs(translate(headers[i % 4])));
    std::array<QString, PLOT_CHANNELS> units;
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const SPlotChannel& info = plotChannel(c);
        units[i] = qs(translate(info.unit));
        m_shown[i]->setText(qs(translate(info.name)) + " [" + units[i] + "]");
        m_min[i]->setAccessibleName(m_shown[i]->text() + " - " + m_headers[1]->text());
        m_max[i]->setAccessibleName(m_shown[i]->text() + " - " + m_headers[2]->text());
    }
    m_chart->setTexts(units, qs(translate("s")));
}

void CPlotView::takeRecords()
{
    if (m_paused)
        return;
    if (m_series.follow(m_doc.m_history))
        m_chart->dataChanged();
    showReadout();
}

void CPlotView::setPaused(bool paused)
{
    m_paused = paused;
    if (m_pause->isChecked() != paused)
        m_pause->setChecked(paused);
    takeRecords();
}

void CPlotView::setSpan(int index)
{
    if (index < 0 || index >= static_cast<int>(SPANS.size()))
        return;
    if (m_span->currentIndex() != index)
        m_span->setCurrentIndex(index);
    m_chart->setSpan(SPANS[static_cast<std::size_t>(index)]);
}

void CPlotView::showChannel(int channel, bool shown)
{
    const auto i = static_cast<std::size_t>(channel);
    if (m_shown[i]->isChecked() != shown)
        m_shown[i]->setChecked(shown);
    m_chart->setChannelShown(channel, shown);
    showReadout();
}

void CPlotView::setRange(int channel, double min, double max)
{
    // An end moved past the other one pushes that one along by a step, so
    // the scale never turns empty or upside down.
    const double step = plotChannel(channel).step;
    const CPlotChart::SRange was = range(channel);
    if (max <= min) {
        if (min != was.min)
            max = min + step;
        else
            min = max - step;
    }
    m_chart->setRange(channel, min, max);
    showRangeOf(channel);
}

void CPlotView::restoreRanges()
{
    for (int c = 0; c < PLOT_CHANNELS; ++c)
        setRange(c, plotChannel(c).min, plotChannel(c).max);
}

void CPlotView::showRangeOf(int channel)
{
    const auto i = static_cast<std::size_t>(channel);
    const CPlotChart::SRange r = range(channel);
    for (auto [spin, v] : {std::pair{m_min[i], r.min}, std::pair{m_max[i], r.max}}) {
        const QSignalBlocker quiet(spin);
        spin->setValue(v);
    }
}

void CPlotView::showReadout()
{
    const auto& samples = m_series.samples();
    const std::optional<double> cursor = m_chart->cursorTime();
    std::size_t at = samples.size();
    if (cursor)
        at = nearestSample(samples, *cursor);
    else if (!samples.empty())
        at = samples.size() - 1;
    if (at == samples.size()) {
        m_time->clear();
        for (QLabel* value : m_value)
            value->clear();
        return;
    }
    const SPlotSample& s = samples[at];
    // Counted back from the newest record, as the time scale is.
    m_time->setText(
        cursor ? qs(translateFill("Kursor: %1 s", {fixedText(s.m_seconds - m_series.newest(), 2)}))
               : qs(translate("Ostatni odczyt")));
    for (int c = 0; c < PLOT_CHANNELS; ++c) {
        const auto i = static_cast<std::size_t>(c);
        m_value[i]->setText(m_chart->channelShown(c) ? qs(plotValueText(c, s.m_values[i]))
                                                     : QString());
    }
}

QString CPlotView::readoutTime() const
{
    return m_time->text();
}

QString CPlotView::readoutValue(int channel) const
{
    return m_value[static_cast<std::size_t>(channel)]->text();
}
