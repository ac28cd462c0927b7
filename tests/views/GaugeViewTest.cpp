#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include "app/CAutrelDoc.h"
#include "data/ChannelTimes.h"
#include "data/Conversions.h"
#include "data/DiagSimulation.h"
#include "data/LambdaType.h"
#include "lang/Translation.h"
#include "views/CAnalogDisplay.h"
#include "views/CAutoSetupDisplay.h"
#include "views/CClock.h"
#include "views/CDisplayView.h"
#include "views/CInjTimesBarDisplay.h"
#include "views/CLambdaDisplay.h"

namespace {

QRect unite(const std::vector<QRect>& areas)
{
    QRect all;
    for (const QRect& r : areas)
        all |= r;
    return all;
}

// Texts in Polish and the usual narrow-band probe, whatever a test changed.
class Gauges : public ::testing::Test {
protected:
    void SetUp() override
    {
        setCurrentLanguage(LANG_PL);
        setCurrentLambdaType(1);
    }
    void TearDown() override
    {
        setCurrentLanguage(LANG_PL);
        setCurrentLambdaType(1);
    }
};

} // namespace

TEST_F(Gauges, DialRepaintsOnlyWhatMovedAndReadsBeyondItsScale)
{
    CRPMClock dial;
    dial.setup(QRect(0, 0, 340, 340), 80, 40, 1.0);
    EXPECT_EQ(dial.accessibleName(), QString("RPM x 1000"));

    dial.setValue(0); // already there
    EXPECT_TRUE(dial.lastInvalidated().empty());
    dial.setValue(2500);
    ASSERT_EQ(dial.lastInvalidated().size(), 3u);
    const QRect moved = unite(dial.lastInvalidated());
    EXPECT_LT(moved.width() * moved.height(), 340 * 340 / 2) << "not the whole dial";
    EXPECT_TRUE(moved.contains(dial.valueRect()));
    dial.setValue(2500);
    EXPECT_TRUE(dial.lastInvalidated().empty());

    // The needle rests at the end of the scale; the number stays true.
    dial.setValue(9300);
    EXPECT_EQ(dial.valueText(), QString("9300"));
    EXPECT_EQ(dial.accessibleDescription(), QString("9300"));
    // A screen reader gets the number the value box shows, within the scale's range.
    dial.setValue(9300.4);
    QAccessibleValueInterface* reading =
        QAccessible::queryAccessibleInterface(&dial)->valueInterface();
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->currentValue().toDouble(), 9300.0);
    EXPECT_EQ(reading->maximumValue().toDouble(), 8000.0);
    const SPointF end = needleTip(dial.needleGeometry(), 8000);
    EXPECT_TRUE(dial.lastInvalidated()[1].contains(QPoint(int(end.x), int(end.y))));
}

TEST_F(Gauges, LambdaRowLightsByProbeTypeAndIgnoresTheSameTenth)
{
    CLambdaDisplay row;
    row.setup(QRect(2, 0, 1022, 70), 15, 1.0);
    row.setVoltage(0.44);
    EXPECT_EQ(row.litLed(), 6);
    row.setVoltage(0.41); // 0.4 V both times
    EXPECT_TRUE(row.lastInvalidated().empty());
    EXPECT_EQ(row.accessibleDescription(), QString("0.4"));

    setCurrentLambdaType(2);
    row.setVoltage(5.0);
    EXPECT_EQ(row.litLed(), 14);
    ASSERT_EQ(row.lastInvalidated().size(), 2u);
    EXPECT_TRUE(row.lastInvalidated()[0].contains(row.ledRect(6)));
    EXPECT_TRUE(row.lastInvalidated()[1].contains(row.ledRect(14)));
    // A new probe type alone relights the row.
    setCurrentLambdaType(3);
    row.setVoltage(5.0);
    EXPECT_EQ(row.litLed(), 0);
}

TEST_F(Gauges, BarsIgnoreOutOfRangeTimesAndRepaintOnlyChanges)
{
    CInjTimesBarDisplay bars;
    bars.setup(QRect(150, 340, 724, 165), 4, 0, 30);
    bars.setValues(1, 10.0, 12.5);
    ASSERT_EQ(bars.lastInvalidated().size(), 3u); // two strips and the text

    bars.setValues(1, 31.0, 5.0); // petrol above the maximum
    bars.setValues(1, 5.0, -0.5); // LPG below the minimum
    bars.setValues(4, 5.0, 5.0);  // no fifth bar
    bars.setValues(-1, 5.0, 5.0);
    EXPECT_TRUE(bars.lastInvalidated().empty());
    EXPECT_DOUBLE_EQ(bars.values(1).petrolMs, 10.0);
    EXPECT_DOUBLE_EQ(bars.values(1).lpgMs, 12.5);

    bars.setValues(1, 10.001, 12.499); // the same hundredths
    EXPECT_TRUE(bars.lastInvalidated().empty());

    bars.setValues(1, 10.0, 20.0); // only the LPG half moves
    ASSERT_EQ(bars.lastInvalidated().size(), 2u);
    const QRect strip = bars.lastInvalidated()[0];
    const SRect lpg = lpgHalf(bars.layout()[1].bar);
    EXPECT_EQ(strip.left(), lpg.left - 1);
    EXPECT_EQ(strip.right(), lpg.right); // one past the half, Qt's right is inclusive
    EXPECT_TRUE(
        bars.accessibleDescription().contains("Cylinder 2: benzyna 10.00 ms, LPG 20.00 ms"));
}

TEST_F(Gauges, AutoSetupPanelTakesThePlaceOfItsStatic)
{
    QWidget form;
    form.resize(800, 500);
    auto* placeholder = new QLabel("DISPLAY", &form);
    placeholder->setObjectName("1007");
    placeholder->setGeometry(5, 0, 700, 400);

    auto* panel = new CAutoSetupDisplay;
    panel->takePlaceOf(placeholder);
    EXPECT_EQ(panel->parentWidget(), &form);
    EXPECT_EQ(panel->objectName(), QString("1007"));
    EXPECT_EQ(panel->geometry(), QRect(5, 0, 700, 400));
    EXPECT_EQ(form.findChildren<QLabel*>().size(), 0);

    panel->setup(0);
    EXPECT_EQ(panel->bars().count(), 4);
    EXPECT_EQ(panel->rpmClock().geometry(), QRect(0, 10, 292, 292));
    EXPECT_EQ(panel->lambda().ledCount(), 9);
}

TEST_F(Gauges, DisplayViewShowsDemonstrationRecords)
{
    CQuietShell shell;
    CAutrelDoc doc(shell);
    doc.enterDemo();
    resetSimulation();

    CDisplayView view(doc);
    QString title;
    QObject::connect(&view, &CDisplayView::titleChanged, [&](const QString& t) { title = t; });
    view.refreshControls();
    EXPECT_EQ(title, QString("Wyświetlenie"));
    EXPECT_EQ(view.size(), QSize(1024, 580));

    CAnalogDisplay& panel = view.panel();
    EXPECT_EQ(panel.geometry(), view.rect());
    EXPECT_EQ(panel.bars().count(), barCount(doc.m_devInfo.m_injCount));
    EXPECT_DOUBLE_EQ(panel.rpmClock().value(), 0);

    diag_t rec{};
    for (int i = 0; i < 3; ++i) {
        nextSimulatedRecord(rec);
        view.onDiagRecord(rec);
    }
    EXPECT_DOUBLE_EQ(panel.rpmClock().value(), displayRpm(recordRpm(rec)));
    EXPECT_GT(panel.rpmClock().value(), 2000);
    EXPECT_DOUBLE_EQ(panel.pressClock().value(), pressureFromRaw(rec.gasPressure));
    EXPECT_DOUBLE_EQ(panel.temprClock().value(), temperatureFromRaw(rec.lpgTemp));
    EXPECT_DOUBLE_EQ(panel.lambda().voltage(), roundOne(byteToVolts(rec.lambda)));
    const auto times = barTimes(rec, doc.m_devInfo.m_injCount, doc.m_engineSignalBehavior);
    EXPECT_DOUBLE_EQ(panel.bars().values(0).petrolMs, times[0].petrolMs);
    EXPECT_GT(panel.bars().values(0).lpgMs, panel.bars().values(0).petrolMs);

    const QImage image = view.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1024, 580));
    // The RPM needle is red somewhere between the hub and the top of the dial.
    EXPECT_NE(image.pixelColor(450, 100), image.pixelColor(1000, 10));

    // With the link down the gauges keep what they show.
    const double shown = panel.rpmClock().value();
    doc.setConnected(false);
    nextSimulatedRecord(rec);
    rec.enginePeriod = 1000;
    view.onDiagRecord(rec);
    EXPECT_DOUBLE_EQ(panel.rpmClock().value(), shown);

    setCurrentLanguage(LANG_EN);
    view.refreshControls();
    EXPECT_EQ(title, QString("Display"));
    EXPECT_EQ(panel.pressClock().accessibleName(), QString("Pressure [kPa]"));
}
