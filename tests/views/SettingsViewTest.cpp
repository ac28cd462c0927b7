#include <algorithm>
#include <string>
#include <vector>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include "app/AppCommands.h"
#include "app/AppViews.h"
#include "app/CAutrelDoc.h"
#include "app/CMainFrame.h"
#include "app/CQtShell.h"
#include "lang/LanguageScope.h"
#include "link/Protocol.h"
#include "support/DeviceEmuTest.h"
#include "support/ShortLinkTiming.h"
#include "views/CSettingsView.h"

namespace {

// Offsets of the settings record, as the controller holds it.
constexpr int REC_RPM_DIVIDER = 2;
constexpr int REC_PRESS_AVERAGE = 9;
constexpr int REC_INJECTOR_TYPE = 10;
constexpr int REC_MIN_LPG_TIME = 11;
constexpr int REC_WARMING = 12;
constexpr int REC_PWM_OFFSET = 13;
constexpr int REC_PWM = 14;
constexpr int REC_ENGINE_SIGNAL = 17;
constexpr int REC_BEHAVIOR = 18;

// What the user does: picks an entry, which confirms the selection even
// when it is the entry already shown.
void choose(CSettingsView& view, int control, const QString& text)
{
    QComboBox* box = view.list(control);
    ASSERT_NE(box, nullptr) << control;
    const int at = box->findText(text);
    ASSERT_GE(at, 0) << control << " has no " << text.toStdString();
    box->setCurrentIndex(at);
    emit box->activated(at);
}

QString shown(CSettingsView& view, int control)
{
    return view.list(control)->currentText();
}

class SettingsViewEmu : public DeviceEmuTest {
protected:
    void link(CAutrelDoc& doc)
    {
        doc.setTiming(kShortLinkTiming); // unanswered requests cost 50 ms, not 700
        doc.rebuildErrors();
        ASSERT_TRUE(doc.tryPort(1));
        emu().resetCounters();
    }
    std::uint64_t settingsWrites() { return emu().counters().m_frames[MSG_TYPE_SETUP]; }
    std::uint64_t resets() { return emu().counters().m_commands[CMD_CLEAR_ERRORS]; }
    std::uint8_t stored(int offset) { return emu().state().m_settings[offset]; }
};

} // namespace

TEST_F(SettingsViewEmu, ListsWriteOnlyWhatChangedWhileBitListsWriteEveryTime)
{
    emu().withState([](SEmuState& s) { s.m_flags1 = 0x04 | 0x02 | 0x10; }); // buzzer, sensor choice
    CAutrelDoc doc(shell);
    link(doc);
    CSettingsView view(doc);
    view.fillControls();
    EXPECT_EQ(shown(view, 1012), "1200");
    EXPECT_EQ(shown(view, 1024), "0.8");
    EXPECT_EQ(shown(view, 1016), "1 cewka na 1 cylinder");
    EXPECT_EQ(settingsWrites(), 0u); // filling writes nothing

    // The value that is already set, numeric or text: nothing goes out.
    choose(view, 1012, "1200");
    choose(view, 1013, shown(view, 1013));
    choose(view, 1017, "VALTEK 3 OHM");
    EXPECT_EQ(settingsWrites(), 0u);

    choose(view, 1016, "1 cewka na 8 cylindrów");
    EXPECT_EQ(doc.m_rpmDivider, 7);
    EXPECT_EQ(stored(REC_RPM_DIVIDER), 7);
    EXPECT_EQ(settingsWrites(), 1u);
    choose(view, 1016, "1 cewka na 8 cylindrów");
    EXPECT_EQ(settingsWrites(), 1u);

    choose(view, 1017, "VALTEK 1 OHM");
    EXPECT_EQ(doc.m_injectorType, 9);
    EXPECT_DOUBLE_EQ(doc.m_pwm, 35.0);
    EXPECT_DOUBLE_EQ(doc.m_pwmOffset, 3.0);
    EXPECT_DOUBLE_EQ(doc.m_injectorWarmingImpulse, 1.0);
    EXPECT_EQ(stored(REC_INJECTOR_TYPE), 9);
    EXPECT_EQ(stored(REC_PWM), 89);         // 35 % × 255 / 100 = 89.25
    EXPECT_EQ(stored(REC_PWM_OFFSET), 120); // 3.0 ms / 0.025 ms
    EXPECT_EQ(stored(REC_WARMING), 40);     // 1.0 ms / 0.025 ms

    choose(view, 1021, "0.3");
    EXPECT_EQ(stored(REC_MIN_LPG_TIME), 12); // 0.3 ms in ticks
    choose(view, 1024, "1.5");
    EXPECT_EQ(stored(REC_PRESS_AVERAGE), 15);
    EXPECT_EQ(settingsWrites(), 4u);
    EXPECT_EQ(resets(), 0u); // plain lists need no reset

    // The buzzer writes every time, even for the bit it already has.
    ASSERT_EQ(shown(view, 1040), "Rozszerzona");
    choose(view, 1040, "Rozszerzona");
    choose(view, 1040, "Rozszerzona");
    EXPECT_EQ(settingsWrites(), 6u);
    EXPECT_EQ(stored(REC_BEHAVIOR) & 0x04, 0x04);
    choose(view, 1040, "Normalna");
    EXPECT_EQ(stored(REC_BEHAVIOR) & 0x04, 0);
    EXPECT_EQ(settingsWrites(), 7u);

    // So does the pressure sensor, on petrol and followed by the reset.
    ASSERT_EQ(shown(view, 1055), "DM1");
    const auto petrolBefore = emu().counters().m_commands[CMD_WORK_GAS];
    choose(view, 1055, "DM1");
    EXPECT_EQ(settingsWrites(), 8u);
    EXPECT_EQ(resets(), 1u);
    EXPECT_GT(emu().counters().m_commands[CMD_WORK_GAS], petrolBefore);
    choose(view, 1055, "AF1");
    EXPECT_EQ(stored(REC_BEHAVIOR) & 0x10, 0x10);
    EXPECT_EQ(resets(), 2u);
    EXPECT_TRUE(shell.errors().empty());

    // A fresh view shows what the controller now holds.
    CSettingsView again(doc);
    again.fillControls();
    EXPECT_EQ(shown(again, 1016), "1 cewka na 8 cylindrów");
    EXPECT_EQ(shown(again, 1017), "VALTEK 1 OHM");
    EXPECT_EQ(shown(again, 1040), "Normalna");
    EXPECT_EQ(shown(again, 1055), "AF1");
}

TEST_F(SettingsViewEmu, OptionBitsAndThePetrolInjectorDriveGoThroughPetrolAndReset)
{
    CAutrelDoc doc(shell);
    link(doc);
    CSettingsView view(doc);
    view.fillControls();
    ASSERT_EQ(doc.m_behaviorFlags, 7);
    EXPECT_TRUE(view.checkBox(1019)->isChecked());
    EXPECT_TRUE(view.checkBox(1039)->isChecked());
    EXPECT_FALSE(view.checkBox(1020)->isChecked());

    view.checkBox(1019)->click();
    view.checkBox(1020)->click();
    EXPECT_EQ(stored(REC_BEHAVIOR), 0x0E); // bit 0 off, bit 3 on, 1 and 2 kept
    view.checkBox(1039)->click();
    EXPECT_EQ(stored(REC_BEHAVIOR), 0x0C);
    EXPECT_EQ(settingsWrites(), 3u);
    EXPECT_EQ(resets(), 0u);

    ASSERT_EQ(shown(view, 1026), "Pełna sekwencja");
    choose(view, 1026, "Niesekwencja");
    EXPECT_EQ(stored(REC_ENGINE_SIGNAL), 0x04);
    choose(view, 1026, "Półsekwencja");
    EXPECT_EQ(stored(REC_ENGINE_SIGNAL), 0x02);
    view.checkBox(1027)->click();
    EXPECT_EQ(stored(REC_ENGINE_SIGNAL), 0x03);
    EXPECT_EQ(settingsWrites(), 6u);
    EXPECT_EQ(resets(), 3u);
    // The reset shows its waiting windows, petrol first.
    const std::vector<std::string> events = shell.events();
    EXPECT_NE(std::find(events.begin(), events.end(), "waiting: Przełączenie na benzynę..."),
              events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "waiting: Resetowanie sterownika LPG..."),
              events.end());
    EXPECT_TRUE(shell.errors().empty());

    view.loadSettings();
    EXPECT_EQ(shown(view, 1026), "Półsekwencja");
    EXPECT_TRUE(view.checkBox(1027)->isChecked());
    EXPECT_TRUE(view.isEnabled());
}

TEST_F(SettingsViewEmu, SwitchSpeedOffTheListShowsTheFirstEntryAndWritesNothingUntilChosen)
{
    // 450 rpm as an ignition period: 4800000 / 450 = 10667.
    emu().withState([](SEmuState& s) {
        s.m_settings[0] = 10667 >> 8;
        s.m_settings[1] = 10667 & 0xFF;
    });
    CAutrelDoc doc(shell);
    link(doc);
    ASSERT_DOUBLE_EQ(doc.m_switchRPM, 450);
    CSettingsView view(doc);
    view.fillControls();
    EXPECT_EQ(shown(view, 1012), "500");
    view.fillControls(); // a second filling, as after a change of language
    EXPECT_EQ(shown(view, 1012), "500");
    EXPECT_DOUBLE_EQ(doc.m_switchRPM, 450);
    EXPECT_EQ(emu().counters().m_requests, 0u);

    choose(view, 1012, "500");
    EXPECT_EQ(settingsWrites(), 1u);
    EXPECT_EQ(stored(0) << 8 | stored(1), 9600);
    EXPECT_DOUBLE_EQ(doc.m_switchRPM, 500);
}

TEST_F(SettingsViewEmu, FailuresAreReportedAndTheViewStaysUsable)
{
    CAutrelDoc doc(shell);
    link(doc);
    CSettingsView view(doc);
    view.fillControls();

    // A refused write keeps the new value in the block and in the list.
    emu().withController([](CEmuController& c) { c.ignoreFrameType(MSG_TYPE_SETUP); });
    choose(view, 1013, "50");
    EXPECT_EQ(shell.errors(),
              std::vector<std::string>{"Nie powiodło się wpisanie ustawień do urządzenia!"});
    EXPECT_DOUBLE_EQ(doc.m_switchTempr, 50);
    EXPECT_EQ(shown(view, 1013), "50");
    EXPECT_TRUE(view.isEnabled());
    emu().clearIgnores();

    emu().ignoreCommand(CMD_CLEAR_ERRORS);
    choose(view, 1026, "Niesekwencja");
    ASSERT_EQ(shell.errors().size(), 2u);
    EXPECT_EQ(shell.errors().back(), "Nie powiodło się zresetowanie urządzenia!");
    EXPECT_EQ(stored(REC_ENGINE_SIGNAL), 0x04); // written before the reset failed
    emu().clearIgnores();

    // Without the link a list changes nothing, and goes back to the entry it
    // had rather than show a value the controller never got.
    const auto requests = emu().counters().m_requests;
    doc.setConnected(false);
    choose(view, 1012, "2500");
    EXPECT_EQ(shown(view, 1012), "1200");
    EXPECT_DOUBLE_EQ(doc.m_switchRPM, 1200);
    choose(view, 1040, "Normalna");
    EXPECT_EQ(shown(view, 1040), "Rozszerzona");
    EXPECT_EQ(doc.m_behaviorFlags & 0x04, 0x04);
    EXPECT_EQ(emu().counters().m_requests, requests);

    // A check box still tries, and says why it could not.
    emu().unplug();
    view.checkBox(1019)->click();
    ASSERT_EQ(shell.errors().size(), 3u);
    EXPECT_EQ(shell.errors().back(), "Nie można wykonać operacji na RS.");
    EXPECT_EQ(doc.m_behaviorFlags & 0x01, 0);
    EXPECT_FALSE(view.checkBox(1019)->isChecked());
    EXPECT_TRUE(view.isEnabled());
}

TEST(SettingsView, DeviceFlagsDecideWhatIsShown)
{
    CFakeShell shell;
    CAutrelDoc doc(shell);
    CSettingsView view(doc);
    struct SCase {
        std::uint32_t flags;
        bool buzzer, overload, sensorChoice, shortPulses;
    };
    for (const SCase& c :
         {SCase{0x00, false, false, false, false}, SCase{0x1B, true, true, true, true},
          SCase{0x02, true, false, false, false}, SCase{0x08, false, false, false, true},
          SCase{0x11, false, true, true, false}}) {
        doc.m_devInfo.m_flags.flags1 = c.flags;
        view.fillControls();
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(view.list(1040)->isHidden(), !c.buzzer);
        EXPECT_EQ(view.findChild<QLabel*>("1041")->isHidden(), !c.buzzer);
        EXPECT_EQ(view.checkBox(1039)->isHidden(), !c.overload);
        EXPECT_FALSE(view.list(1055)->isHidden()); // only disabled
        EXPECT_EQ(view.list(1055)->isEnabled(), c.sensorChoice);
        EXPECT_EQ(view.checkBox(1020)->isHidden(), !c.shortPulses);
        EXPECT_EQ(view.checkBox(1027)->isHidden(), c.shortPulses);
    }
    EXPECT_EQ(view.list(1021)->count(), 61);
    EXPECT_EQ(view.list(1021)->itemText(60), "6.0");
}

TEST(SettingsView, OpensFromTheToolbarAndRetitlesWithTheLanguage)
{
    CLanguageScope polish(LANG_PL);
    CQtShell shell;
    shell.m_fastSleep = true;
    std::vector<std::string> errors;
    shell.onErrorBox = [&](const std::string& t) { errors.push_back(t); };
    CAutrelDoc doc(shell);
    CMainFrame frame(doc, shell);
    registerViews(frame);
    frame.startFirstConnection(true); // demonstration mode
    frame.runCommand(ID_VIEW_SETTINGS);
    auto* view = dynamic_cast<CSettingsView*>(frame.upperView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(frame.windowTitle().startsWith("Konfiguracja - "));
    auto* rpmLabel = view->findChild<QLabel*>("1035");
    ASSERT_NE(rpmLabel, nullptr);
    EXPECT_EQ(rpmLabel->text(), "Obroty przełączania");
    // The label names its list for assistive technology.
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(view->list(1012));
    ASSERT_NE(access, nullptr);
    const auto labels = access->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), "Obroty przełączania");

    choose(*view, 1016, "1 cewka na 4 cylindry");
    EXPECT_EQ(doc.m_rpmDivider, 4);

    frame.setLanguage(LANG_EN);
    EXPECT_TRUE(frame.windowTitle().startsWith("Configuration - "));
    EXPECT_EQ(rpmLabel->text(), "Switching RPM");
    EXPECT_EQ(view->checkBox(1019)->text(), "LPG injectors warming");
    EXPECT_EQ(shown(*view, 1016), "1 coil per 4 cylinders or revolution counter");
    EXPECT_EQ(view->list(1040)->itemText(1), "Extended");
    EXPECT_EQ(shown(*view, 1012), "1200"); // the selections survive the refill
    EXPECT_TRUE(errors.empty());
    frame.close();
}
