#include <cmath>
#include <string>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "data/Conversions.h"
#include "data/StatusBarValues.h"
#include "support/DeviceEmuTest.h"
#include "support/Eventually.h"
#include "views/CPlotChart.h"
#include "views/CPlotView.h"
#include "views/ChartInput.h"

namespace {

// Pixels of exactly this colour inside the plot's frame: the traces are
// drawn without antialiasing, and nothing else there has a channel's colour.
std::vector<int> columnsOf(CPlotChart& chart, int channel)
{
    const QImage image = chart.grab().toImage();
    const SPlotArea a = chart.plotGeometry().plot;
    const QRgb color = CPlotChart::channelColor(channel).rgb();
    std::vector<int> columns;
    for (int x = a.left + 1; x < a.left + a.width - 1; ++x)
        for (int y = a.top + 1; y < a.top + a.height - 1; ++y)
            if (image.pixel(x, y) == color) {
                columns.push_back(x);
                break;
            }
    return columns;
}

// What the readout must say for a record as the controller sent it, worked
// out here from the raw fields.
std::vector<std::string> expectedReadout(const diag_t& r)
{
    const SDiagChannel& c = r.channels[0];
    // Ticks of 0.025 ms; each time to two decimals, halves up, the larger
    // petrol time winning, and a correction above 60000 counting from 65535.
    auto hundredths = [](double ms) { return std::round(ms * 100) / 100; };
    const double a = hundredths(c.petrolA * 0.025);
    const double b = hundredths(c.petrolB * 0.025);
    const double petrol = std::max(a, b);
    const int corr = b > a ? c.corrB : c.corrA;
    const double lpg = hundredths(petrol + (corr > 60000 ? corr - 65535 : corr) * 0.025);
    const double rpm = r.enginePeriod ? 4800000.0 / r.enginePeriod : 0;
    auto kpa = [](int raw) { return std::max(0.0, (raw / 255.0 - 0.04) / 0.004); };
    return {fixedText(rpm < 100 ? 0 : rpm, 0),
            fixedText(petrol, 2),
            fixedText(lpg, 2),
            fixedText(kpa(r.gasPressure), 0),
            fixedText(kpa(r.manifoldPressure), 0),
            std::to_string(TEMPERATURE_TABLE[r.reducerTemp]),
            fixedText(r.lambda * 5.0 / 255.0, 2)};
}

class PlotViewEmu : public DeviceEmuTest {
protected:
    SEmuServerConfig serverConfig() const override
    {
        SEmuServerConfig cfg;
        cfg.m_pace = true; // the line's 15 or so records a second
        return cfg;
    }
};

} // namespace

TEST_F(PlotViewEmu, PlotsLiveDataHidesSpansPausesAndReadsTheCursor)
{
    CQtShell qshell;
    qshell.m_fastSleep = true;
    std::vector<std::string> errors;
    qshell.onErrorBox = [&](const std::string& t) { errors.push_back(t); };
    CAutrelDoc doc(qshell);
    CMainFrame frame(doc, qshell);
    registerViews(frame);
    frame.resize(1024, 746);
    frame.show();
    frame.startFirstConnection();
    ASSERT_TRUE(doc.isConnected());
    EXPECT_EQ(frame.action(ID_VIEW_PLOT)->toolTip(), "Wykres");

    frame.runCommand(ID_VIEW_PLOT);
    auto* view = dynamic_cast<CPlotView*>(frame.upperView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Wykres - "));
    CPlotChart& chart = view->chart();
    EXPECT_EQ(chart.span(), 60);

    // Filled at the display ticks with every record the reader brought.
    ASSERT_TRUE(eventually([&] { return view->series().samples().size() >= 40; }, 10000))
        << view->series().samples().size() << " of " << doc.m_history.count();
    std::vector<STimedRecord> ring;
    doc.m_history.copySince(-1, ring);
    ASSERT_GE(ring.size(), view->series().samples().size());
    for (std::size_t i = 0; i < view->series().samples().size(); ++i)
        ASSERT_EQ(view->series().samples()[i].m_seconds, ring[i].m_seconds) << i;
    EXPECT_EQ(view->readoutTime(), "Ostatni odczyt");

    // The grid is drawn once; new records only redraw the traces.
    EXPECT_FALSE(columnsOf(chart, PLOT_RPM).empty());
    const int grids = chart.gridBuilds();
    const std::size_t had = view->series().samples().size();
    ASSERT_TRUE(eventually([&] { return view->series().samples().size() > had + 5; }));
    EXPECT_FALSE(columnsOf(chart, PLOT_RPM).empty());
    EXPECT_EQ(chart.gridBuilds(), grids);

    // Switched off: no trace, no scale (the plot widens by one), no value.
    const int plotLeft = chart.plotGeometry().plot.left;
    view->findChild<QCheckBox*>("1420")->click();
    EXPECT_FALSE(chart.channelShown(PLOT_RPM));
    EXPECT_TRUE(columnsOf(chart, PLOT_RPM).empty());
    EXPECT_LT(chart.plotGeometry().plot.left, plotLeft);
    EXPECT_EQ(view->readoutValue(PLOT_RPM), "");
    EXPECT_FALSE(columnsOf(chart, PLOT_GAS_KPA).empty()) << "the others stay";

    // The window: the same seconds of data reach six times as far left in
    // 10 s as in a minute; the trace starts where its oldest record is.
    auto leftmostExpected = [&] {
        const SPlotArea a = chart.plotGeometry().plot;
        const auto& s = view->series().samples();
        const SPlotTimeAxis t = chart.timeAxis();
        const double first = s[firstSampleFrom(s, t.end - t.span)].m_seconds;
        return static_cast<int>(std::floor(xOfTime(a, t, first)));
    };
    view->setPaused(true); // the same records for both pictures
    const int inMinute = columnsOf(chart, PLOT_GAS_KPA).front();
    EXPECT_NEAR(inMinute, leftmostExpected(), 2);
    view->findChild<QComboBox*>("1402")->setCurrentIndex(0);
    EXPECT_EQ(chart.span(), 10);
    const int inTen = columnsOf(chart, PLOT_GAS_KPA).front();
    EXPECT_NEAR(inTen, leftmostExpected(), 2);
    const int right = chart.plotGeometry().plot.left + chart.plotGeometry().plot.width;
    EXPECT_NEAR(double(right - inTen) / (right - inMinute), 6.0, 0.5);

    // Paused: the records keep coming into the ring, the plot stays as it was.
    const QImage frozen = chart.grab().toImage();
    const std::size_t shown = view->series().samples().size();
    const std::uint64_t added = doc.m_history.added();
    ASSERT_TRUE(eventually([&] { return doc.m_history.added() > added + 8; }));
    EXPECT_EQ(view->series().samples().size(), shown);
    EXPECT_EQ(chart.grab().toImage(), frozen);

    // A range edited by its ends: an end moved past the other pushes it on,
    // so the scale never turns empty; the defaults come back at a click.
    auto* gasMin = view->findChild<QDoubleSpinBox*>("1433");
    auto* gasMax = view->findChild<QDoubleSpinBox*>("1443");
    gasMax->setValue(100);
    EXPECT_EQ(chart.range(PLOT_GAS_KPA).max, 100);
    gasMin->setValue(150);
    EXPECT_EQ(chart.range(PLOT_GAS_KPA).min, 150);
    EXPECT_EQ(chart.range(PLOT_GAS_KPA).max, 160);
    EXPECT_EQ(gasMax->value(), 160);
    view->findChild<QPushButton*>("1404")->click();
    EXPECT_EQ(chart.range(PLOT_GAS_KPA).min, 0);
    EXPECT_EQ(chart.range(PLOT_GAS_KPA).max, 200);
    EXPECT_EQ(gasMin->value(), 0);

    // The cursor on a record by a click, moved by a drag and the arrow keys;
    // the readout shows that record's values from the controller's fields.
    view->findChild<QCheckBox*>("1420")->click(); // engine speed back on
    const auto& samples = view->series().samples();
    const SPlotArea a = chart.plotGeometry().plot;
    auto pixelOf = [&](std::size_t i) {
        return QPoint(
            static_cast<int>(std::lround(xOfTime(a, chart.timeAxis(), samples[i].m_seconds))),
            a.top + a.height / 2);
    };
    auto readsRecordAt = [&](double seconds) {
        std::vector<STimedRecord> at;
        doc.m_history.copySince(seconds - 1e-6, at);
        ASSERT_FALSE(at.empty());
        ASSERT_EQ(at.front().m_seconds, seconds);
        const std::vector<std::string> expected = expectedReadout(at.front().m_rec);
        for (int c = 0; c < PLOT_CHANNELS; ++c)
            EXPECT_EQ(view->readoutValue(c).toStdString(), expected[static_cast<std::size_t>(c)])
                << "channel " << c;
        EXPECT_TRUE(view->readoutTime().startsWith("Kursor: "))
            << view->readoutTime().toStdString();
    };
    const std::size_t k = samples.size() - 20;
    press(&chart, pixelOf(k));
    ASSERT_TRUE(chart.cursorTime().has_value());
    EXPECT_EQ(*chart.cursorTime(), samples[k].m_seconds);
    dragTo(&chart, pixelOf(k - 5));
    release(&chart, pixelOf(k - 5));
    EXPECT_EQ(*chart.cursorTime(), samples[k - 5].m_seconds);
    readsRecordAt(samples[k - 5].m_seconds);
    tapKey(&chart, Qt::Key_Left);
    EXPECT_EQ(*chart.cursorTime(), samples[k - 6].m_seconds);
    readsRecordAt(samples[k - 6].m_seconds);
    for (int i = 0; i < 30; ++i)
        tapKey(&chart, Qt::Key_Right);
    EXPECT_EQ(*chart.cursorTime(), samples.back().m_seconds) << "the newest is as far as it goes";
    readsRecordAt(samples.back().m_seconds);
    EXPECT_EQ(view->readoutTime(), "Kursor: 0.00 s") << "counted back from the newest";

    // Going on again takes every record that came meanwhile.
    view->findChild<QPushButton*>("1403")->click();
    EXPECT_FALSE(view->paused());
    EXPECT_GT(view->series().samples().size(), shown);
    EXPECT_EQ(view->series().restarts(), 0);

    frame.setLanguage(LANG_EN);
    EXPECT_EQ(view->findChild<QCheckBox*>("1420")->text(), "Engine speed [rpm]");
    EXPECT_TRUE(frame.windowTitle().startsWith("Plot - "));
    frame.setLanguage(LANG_PL);
    EXPECT_TRUE(errors.empty());
    frame.close();
}
