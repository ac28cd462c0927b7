#include <filesystem>
#include <string>
#include <vector>

#include <QPushButton>
#include <QLabel>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/CAutrelDoc.h"
#include "calib/CMapRecorder.h"
#include "data/CUserConfig.h"
#include "link/Protocol.h"
#include "support/DataHomeScope.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CMapChart.h"
#include "views/CMapCreateView.h"

namespace {

// Manifold byte r reads r / 1.02 - 10 kPa: 82 is 30.6 kPa of vacuum, bin 15.
constexpr std::uint8_t kVacuum30 = 82;

diag_t record(std::uint8_t manifoldRaw, std::uint16_t petrolTicks, std::uint8_t fuel = FUEL_PETROL)
{
    diag_t rec{};
    rec.manifoldPressure = manifoldRaw;
    rec.channels[0].petrolA = petrolTicks;
    rec.fuel = fuel;
    return rec;
}

class MapCreateViewEmu : public DeviceEmuTest {
protected:
    void link()
    {
        m_doc.setTiming(kShortLinkTiming);
        m_doc.rebuildErrors();
        ASSERT_TRUE(m_doc.tryPort(1));
        m_view.refreshControls();
    }
    QPushButton* button(int id) { return m_view.findChild<QPushButton*>(QString::number(id)); }
    std::string vacuumShown() { return m_view.findChild<QLabel*>("1141")->text().toStdString(); }
    std::size_t backups()
    {
        const std::filesystem::path dir = CUserConfig::historyDirectory(m_doc.m_devInfo.m_serial);
        if (!std::filesystem::exists(dir))
            return 0;
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                      std::filesystem::directory_iterator()));
    }
    std::uint64_t tableWrites() { return emu().counters().m_frames[MSG_TYPE_TABLE]; }

    CDataHomeScope m_home;
    CAutrelDoc m_doc{shell};
    CMapCreateView m_view{m_doc};
};

} // namespace

TEST_F(MapCreateViewEmu, ADriveOnBothFuelsIsDrawnAndAddedToTheControllersTable)
{
    link();
    EXPECT_EQ(m_view.windowTitle(), QString("Autokalibracja w czasie jazdy"));
    EXPECT_EQ(button(1134)->text(), QString("Jazda"));
    EXPECT_TRUE(button(1134)->isEnabled());
    EXPECT_TRUE(button(1137)->isEnabled());
    EXPECT_FALSE(button(1135)->isEnabled());

    m_doc.m_diagData.add(record(kVacuum30, 80));
    button(1134)->click();
    ASSERT_TRUE(m_view.recording());
    EXPECT_FALSE(button(1134)->isEnabled());
    EXPECT_FALSE(button(1137)->isEnabled());
    EXPECT_TRUE(button(1135)->isEnabled());

    // 2.0 ms on petrol and 2.2 ms on gas in one bin: the engine computer asks
    // 10 % more on gas, and every slot takes that from the one measured.
    // The view takes every record the reader brought, not one per tick.
    double t = 0;
    for (int i = 0; i < 20; ++i) {
        m_doc.m_history.add(t += 0.07, record(kVacuum30, 80));
        m_doc.m_history.add(t += 0.07, record(kVacuum30, 88, FUEL_LPG));
        if (i % 4 == 3)
            m_view.onDiagRecord(record(kVacuum30, 88, FUEL_LPG));
    }
    EXPECT_EQ(vacuumShown(), "31");
    EXPECT_EQ(m_view.recorder().samples(), 40u);
    EXPECT_EQ(m_view.chart().points().size(), 40u);
    EXPECT_EQ(m_view.chart().points().back(), (SMapPoint{31, 2.2, MAP_LPG}));

    button(1135)->click();
    EXPECT_FALSE(m_view.recording());
    EXPECT_TRUE(button(1137)->isEnabled());

    std::vector<int> requested;
    QObject::connect(&m_view, &CMapCreateView::commandRequested,
                     [&](int command) { requested.push_back(command); });
    const std::uint64_t writes = tableWrites();
    button(1137)->click();
    EXPECT_TRUE(shell.errors().empty());
    EXPECT_EQ(tableWrites(), writes + 1);
    for (std::size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(m_doc.m_setupTimes[k], 10) << k;
        EXPECT_EQ(emu().state().m_table[k], 110) << k;
    }
    EXPECT_EQ(requested, std::vector<int>{ID_VIEW_CORR_ALIAS}) << "the new table is shown";
    EXPECT_EQ(backups(), 1u) << "the table it replaced is kept first";

    // The samples stay: computing again adds the same again.
    button(1137)->click();
    EXPECT_EQ(emu().state().m_table[0], 120);
    EXPECT_EQ(backups(), 2u);

    // A fresh drive empties the map; a refresh of the view ends the drive.
    button(1134)->click();
    EXPECT_TRUE(m_view.chart().points().empty());
    m_view.refreshControls();
    EXPECT_FALSE(m_view.recording());
}

TEST_F(MapCreateViewEmu, NoDriveWithoutTheVacuumSensorAndNoChangeWithoutData)
{
    link();
    m_doc.m_diagData.add(record(4, 80)); // an unplugged sensor reads nearly 0
    button(1134)->click();
    EXPECT_FALSE(m_view.recording());
    ASSERT_EQ(shell.errors().size(), 1u);
    EXPECT_EQ(shell.errors()[0], MAP_SENSOR_MISSING_TEXT);
    EXPECT_TRUE(button(1134)->isEnabled());
    EXPECT_FALSE(button(1135)->isEnabled());

    // Nothing recorded: the table goes out as the controller held it.
    const auto held = emu().state().m_table;
    button(1137)->click();
    EXPECT_EQ(shell.errors().size(), 1u);
    EXPECT_EQ(emu().state().m_table, held);
    EXPECT_FALSE(m_view.lastCorrection().measuredAny());
}

TEST_F(MapCreateViewEmu, ButtonsWaitForTheLink)
{
    m_view.refreshControls();
    EXPECT_FALSE(button(1134)->isEnabled());
    EXPECT_FALSE(button(1137)->isEnabled());
    EXPECT_FALSE(button(1135)->isEnabled());
    m_view.onDiagRecord(record(kVacuum30, 80));
    EXPECT_EQ(vacuumShown(), "") << "nothing is shown while the link is down";
}
